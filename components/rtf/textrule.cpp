#include "components/rtf/textrule.h"

#include <QTextBlock>
#include <QTextDocument>

namespace rtf {

QString documentText(const QTextDocument& document) {
    QString text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            text += kParagraphBreak;
        text += block.text();
    }
    text.replace(QChar::LineSeparator, QChar(kLineBreak));
    return text;
}

qsizetype textOffsetOf(const QTextDocument& document, qsizetype position) {
    return position + document.findBlock(int(position)).blockNumber();
}

qsizetype positionOfTextOffset(const QTextDocument& document, qsizetype offset) {
    if (offset <= 0)
        return 0;
    // The last paragraph whose Text offset (position plus one per earlier
    // break) is at or before the offset.
    int low = 0;
    int high = document.blockCount() - 1;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (document.findBlockByNumber(mid).position() + mid <= offset)
            low = mid;
        else
            high = mid - 1;
    }
    const QTextBlock block = document.findBlockByNumber(low);
    const qsizetype within = offset - (block.position() + low);
    return block.position() + qMin<qsizetype>(within, block.length() - 1);
}

} // namespace rtf
