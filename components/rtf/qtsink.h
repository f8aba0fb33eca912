#pragma once

#include "components/rtf/documentsink.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QTextListFormat>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

class QTextDocument;
class QTextList;

namespace rtf {

// What the document keeps of a file beyond Qt's own formats, so that saving
// writes it back as it came.
namespace property {
// On an image: the picture's bytes as the file held them (QByteArray).
constexpr int pictureData = QTextFormat::UserProperty + 0x7201;
// On an image: the picture's header numbers (see pictureHeader).
constexpr int pictureHeader = QTextFormat::UserProperty + 0x7202;
// On a table: the edges of its columns in twips, the left one first (QList<int>).
constexpr int tableGrid = QTextFormat::UserProperty + 0x7203;
// On a cell: it only fills the grid where a row is shorter than the table.
constexpr int fillerCell = QTextFormat::UserProperty + 0x7204;
// On an image: it shows a placeholder, not the picture.
constexpr int picturePlaceholder = QTextFormat::UserProperty + 0x7205;
// On a paragraph: the leader of each tab stop, in their order (QList<int> of
// rtf::TabLeader); Qt draws none, the file keeps them.
constexpr int tabLeaders = QTextFormat::UserProperty + 0x7206;
// On text: its underline word when Qt cannot draw it as it is (double, thick,
// words only) or draws several alike (int, rtf::UnderlineStyle).
constexpr int underlineWord = QTextFormat::UserProperty + 0x7207;
// On text: how far its baseline is raised, in half points (int; \up, \dn).
constexpr int raise = QTextFormat::UserProperty + 0x7208;
// On text: the words the editor does not show, as the file wrote them
// (QByteArray; RunFormat::kept).
constexpr int keptWords = QTextFormat::UserProperty + 0x7209;
// On text: the instruction of the field whose result it is (KeptRtfList of one).
constexpr int fieldInstruction = QTextFormat::UserProperty + 0x720A;
// On text: RTF kept just before it (KeptRtfList of one; RunFormat::before).
constexpr int keptBefore = QTextFormat::UserProperty + 0x720B;
// On text: the RTF it stands for (KeptRtfList of one; RunFormat::object).
constexpr int keptObject = QTextFormat::UserProperty + 0x720C;
// On a paragraph: RTF kept after its last text (KeptRtfList of one).
constexpr int keptBeforeEnd = QTextFormat::UserProperty + 0x720D;
// On a paragraph: the words the editor does not show (KeptRtfList of one;
// ParagraphFormat::kept).
constexpr int paragraphWords = QTextFormat::UserProperty + 0x720E;
} // namespace property

QTextCharFormat toCharFormat(const RunFormat& format);
// The underline style, capitals, character spacing and raise of a format:
// the other direction of toCharFormat for them.
void readTypography(const QTextCharFormat& format, RunFormat& run);
QTextBlockFormat toBlockFormat(const ParagraphFormat& format);
// A paragraph's line spacing and tab stops as the block format holds them:
// the other direction of toBlockFormat.
LineSpacing lineSpacingOf(const QTextBlockFormat& format);
std::vector<TabStop> tabStopsOf(const QTextBlockFormat& format);
QTextListFormat::Style toListStyle(ListKind kind, BulletShape bullet = BulletShape::Disc);
// A list level's look as a Qt list format: its style, the text around its
// number, its level as the indent.
QTextListFormat toListFormat(ListKind kind, const ListLabel& label, int level);
// A picture's header as stored on its image, and back (without the bytes).
QList<int> pictureHeader(const Picture& picture);
Picture pictureFromHeader(const QList<int>& header);

// Builds a QTextDocument from the reader's output, replacing what it held.
// Everything happens in one edit block with undo off; a paragraph's runs wait
// until its end, when its format is known, and go in one insertText each.
// A table waits until it ends, when every row's cells are known, and becomes
// one QTextTable whose columns are the union of its rows' cell edges, so that
// rows of different cells stay as they were written. Pictures become images
// at their intended size; the ones the document cannot draw (and any whose
// decoded size passes maxDecodedBytes) show a placeholder and keep their bytes.
// The document's default font is left alone.
class QtDocumentSink : public DocumentSink {
public:
    static constexpr qint64 maxDecodedBytes = 64 << 20;

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
    using Lists = std::map<std::tuple<ListKind, int, BulletShape, QString, QString>, QTextList*>;
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
    // The lists of the current stretch of list paragraphs, by kind and level.
    Lists lists_;
    std::vector<std::unique_ptr<PendingTable>> openTables_; // [0] is depth 1
};

} // namespace rtf
