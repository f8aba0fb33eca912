#include "components/rtf/plaintextsink.h"

namespace rtf {

void PlainTextSink::text(QStringView text, const RunFormat&) {
    if (needBreak_) {
        text_ += QLatin1StringView("\r\n");
        needBreak_ = false;
    }
    const qsizetype start = text_.size();
    text_ += text;
    for (qsizetype i = start; i < text_.size(); ++i)
        if (text_[i] == QChar::LineSeparator)
            text_[i] = QLatin1Char('\n');
}

void PlainTextSink::endParagraph(const ParagraphFormat&, const RunFormat&) {
    if (needBreak_)
        text_ += QLatin1StringView("\r\n");
    needBreak_ = true;
    ++paragraphs_;
}

} // namespace rtf
