#pragma once

#include "components/rtf/documentsink.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextListFormat>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

class QTextDocument;
class QTextList;

namespace rtf {

// Twips per pixel of the editor's document model.
constexpr double twipsPerPixel = 15.0;

QTextCharFormat toCharFormat(const RunFormat& format);
QTextBlockFormat toBlockFormat(const ParagraphFormat& format);
QTextListFormat::Style toListStyle(ListKind kind);

// Builds a QTextDocument from the reader's output, replacing what it held.
// Everything happens in one edit block with undo off; a paragraph's runs wait
// until its end, when its format is known, and go in one insertText each.
// The document's default font is left alone.
class QtDocumentSink : public DocumentSink {
public:
    explicit QtDocumentSink(QTextDocument& document);
    ~QtDocumentSink() override;

    void text(QStringView text, const RunFormat& format) override;
    void endParagraph(const ParagraphFormat& format, const RunFormat& markFormat) override;
    void finish() override;

private:
    void attachToList(const ParagraphFormat& format);
    const QTextCharFormat& charFormat(const RunFormat& format);

    struct RunFormatHash {
        std::size_t operator()(const RunFormat& format) const;
    };

    QTextDocument& document_;
    QTextCursor cursor_;
    bool undoWasEnabled_;
    bool finished_ = false;
    int paragraphs_ = 0;
    std::vector<std::pair<QString, QTextCharFormat>> runs_;
    RunFormat lastRun_;
    // A document uses few distinct formats but changes between them at every
    // run; building a QTextCharFormat property by property each time cost more
    // than the reading itself.
    std::unordered_map<RunFormat, QTextCharFormat, RunFormatHash> charFormats_;
    // The lists of the current stretch of list paragraphs, by kind and level.
    std::map<std::pair<ListKind, int>, QTextList*> lists_;
};

} // namespace rtf
