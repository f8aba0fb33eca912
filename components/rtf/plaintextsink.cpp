#include "components/rtf/plaintextsink.h"

namespace rtf {

void PlainTextSink::text(QStringView text, const RunFormat&) {
    if (needBreak_) {
        text_ += QLatin1StringView("\r\n");
        needBreak_ = false;
    }
    const qsizetype start = text_.size();
    text_ += text;
    // Line breaks are rare: find the first in the run (a vectorised search)
    // before touching the result character by character.
    const qsizetype first = text.indexOf(QChar::LineSeparator);
    if (first < 0)
        return;
    QChar* const chars = text_.data();
    for (qsizetype i = start + first; i < text_.size(); ++i)
        if (chars[i] == QChar::LineSeparator)
            chars[i] = QLatin1Char('\n');
}

void PlainTextSink::endParagraph(const ParagraphFormat&, const RunFormat&) {
    if (needBreak_)
        text_ += QLatin1StringView("\r\n");
    needBreak_ = true;
    ++paragraphs_;
}

} // namespace rtf
