#pragma once

#include "components/rtf/documentsink.h"
#include "components/rtf/listtable.h"
#include "components/rtf/qtformats.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QTextListFormat>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class QTextDocument;
class QTextList;

namespace rtf {

// The lists that list paragraphs join as they come: one Qt list for each run
// of counting that ListNumbering finds.
class OpenLists {
public:
    // Adds the cursor's block to its list, which it starts if none is open;
    // a paragraph outside lists ends the unnamed ones.
    void add(QTextCursor& cursor, const ParagraphFormat& format);
    // A table or a cell begins or ends: the unnamed lists end.
    void endUnnamed() { numbering_.endUnnamed(); }

private:
    ListNumbering numbering_;
    std::vector<QTextList*> lists_; // by ListNumbering::Item::list
};

// After an edit: makes the lists show the numbers that the saved file gives
// (the writer counts as ListNumbering does). An item that counts on from an
// earlier run of its list joins that run's Qt list, one that counts apart
// leaves for a list of its own, and a label that shows the numbers of the
// levels above (the "2." of "2.1.") takes the numbers they count now. A
// document as read shows them already; an edit (an item added, deleted or
// taken out of its list) can leave it otherwise. The changes join the edit
// before them, so that one undo takes back both. Returns whether anything
// changed.
bool followListNumbering(QTextDocument& document);

// Builds a QTextDocument from the reader's output, replacing what it held.
// Everything happens in one edit block with undo off; a paragraph's runs wait
// until its end, when its format is known, and go in one insertText each.
// A table waits until it ends, when every row's cells are known, and becomes
// one QTextTable whose columns are the union of its rows' cell edges, so that
// rows of different cells stay as they were written. Pictures become images
// at their intended size; the ones the document cannot draw (and any whose
// decoded size passes maxDecodedPictureBytes) show a placeholder and keep their bytes.
// The document's default font is left alone.
class QtDocumentSink : public DocumentSink {
public:
    explicit QtDocumentSink(QTextDocument& document);
    ~QtDocumentSink() override;

    void text(QStringView text, const RunFormat& format) override;
    void picture(const Picture& picture, const RunFormat& format) override;
    void endParagraph(const ParagraphFormat& format, const RunFormat& markFormat) override;
    void endCell(int depth) override;
    void endRow(const RowFormat& row, int depth) override;
    void keep(const KeptRtf& kept) override;
    void noDefaultFont() override;
    void finish() override;

    using Runs = std::vector<std::pair<QString, QTextCharFormat>>;
    struct PendingParagraph {
        ParagraphFormat format;
        QTextCharFormat mark;
        Runs runs;
    };
    struct PendingTable;
    struct PendingItem {
        PendingParagraph paragraph;
        std::unique_ptr<PendingTable> table; // set: the item is a table
    };
    struct PendingCell {
        std::vector<PendingItem> items;
    };
    struct PendingRow {
        RowFormat format;
        std::vector<PendingCell> cells;
    };
    struct PendingTable {
        std::vector<PendingRow> rows;
        std::vector<PendingCell> cells; // ended, their row not yet
        PendingCell current;
    };

private:
    KeptRtfList kept_;
    bool noDefaultFont_ = false;
    void closeTablesDeeperThan(int depth);
    void openTablesTo(int depth);
    const QTextCharFormat& charFormat(const RunFormat& format);

    struct RunFormatHash {
        std::size_t operator()(const RunFormat& format) const;
    };

    QTextDocument& document_;
    QTextCursor cursor_;
    bool undoWasEnabled_;
    bool finished_ = false;
    bool blockFree_ = true; // the cursor's block holds nothing yet
    Runs runs_;
    RunFormat lastRun_;
    // A document uses few distinct formats but changes between them at every
    // run; building a QTextCharFormat property by property each time cost more
    // than the reading itself.
    std::unordered_map<RunFormat, QTextCharFormat, RunFormatHash> charFormats_;
    bool runClosed_ = false; // the last run was a picture
    OpenLists lists_;
    std::vector<std::unique_ptr<PendingTable>> openTables_; // [0] is depth 1
};

} // namespace rtf
