#pragma once

#include "components/rtf/documentsink.h"

#include <QString>

namespace rtf {

// Collects what the surface's Text shows: paragraphs joined by CR LF, a line
// break inside a paragraph as LF. Needs no QTextDocument, so the fuzzer and
// the benchmarks can read without QtGui's document.
class PlainTextSink : public DocumentSink {
public:
    void text(QStringView text, const RunFormat& format) override;
    void endParagraph(const ParagraphFormat& format, const RunFormat& markFormat) override;

    const QString& result() const { return text_; }
    int paragraphs() const { return paragraphs_; }

private:
    QString text_;
    bool needBreak_ = false;
    int paragraphs_ = 0;
};

// Counts and discards: the reader's own speed, without any sink cost.
class NullSink : public DocumentSink {
public:
    void text(QStringView text, const RunFormat&) override { characters_ += text.size(); }
    void endParagraph(const ParagraphFormat&, const RunFormat&) override { ++paragraphs_; }

    qsizetype characters() const { return characters_; }
    qsizetype paragraphs() const { return paragraphs_; }

private:
    qsizetype characters_ = 0;
    qsizetype paragraphs_ = 0;
};

} // namespace rtf
