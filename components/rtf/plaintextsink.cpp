#include "components/rtf/plaintextsink.h"

#include "components/rtf/textrule.h"

namespace rtf {

void PlainTextSink::text(QStringView text, const RunFormat&) {
    if (needBreak_) {
        text_ += kParagraphBreak;
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
            chars[i] = QChar(kLineBreak);
}

void PlainTextSink::endParagraph(const ParagraphFormat&, const RunFormat&) {
    if (needBreak_)
        text_ += kParagraphBreak;
    needBreak_ = true;
    ++paragraphs_;
}

} // namespace rtf
