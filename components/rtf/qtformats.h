#pragma once

#include "components/rtf/documentsink.h"

#include <QImage>
#include <QStringList>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextListFormat>
#include <QTextTableCellFormat>
#include <optional>
#include <variant>
#include <vector>

class QTextDocument;
class QTextList;
class QTextTable;
class QTextTableCell;

namespace rtf {

// The codec's formats and Qt's, each mapping in both directions side by side:
// what QtDocumentSink builds a document with, and what DocumentSource reads
// back from it for the writer and the dump.

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
// On a list: the file's list it is a level of (int; ParagraphFormat::listId).
constexpr int listId = QTextFormat::UserProperty + 0x720F;
// On a list: its label's prefix with the numbers of the levels above as
// the characters 0 to 8 (QString; ListLabel::prefix). The number prefix
// shows them as they were when the document was read.
constexpr int listPrefixLevels = QTextFormat::UserProperty + 0x7210;
// On a list: the number its first item has in the file (int; ListLabel::start).
constexpr int listStart = QTextFormat::UserProperty + 0x7211;
// On a list: its level's own indents in the file, where it gives them (int
// twips each; ListLabel::left and ListLabel::first).
constexpr int listLevelLeft = QTextFormat::UserProperty + 0x7212;
constexpr int listLevelFirst = QTextFormat::UserProperty + 0x7213;
// On a list item: the indents it states itself (int; ParagraphFormat::indentsGiven).
constexpr int indentsGiven = QTextFormat::UserProperty + 0x7214;
// On text whose East Asian letters have a font of their own: the run's two
// fonts (QString each; RunFormat::latinFamily and eastAsianFamily).
constexpr int latinFamily = QTextFormat::UserProperty + 0x7215;
constexpr int eastAsianFamily = QTextFormat::UserProperty + 0x7216;
// On a list: the file's number format where the list shows it as another
// (int; ListLabel::numbering), what follows its label (int; ListLabel::follow)
// and its level's other words (QByteArray; ListLabel::words).
constexpr int listNumbering = QTextFormat::UserProperty + 0x7217;
constexpr int listFollow = QTextFormat::UserProperty + 0x7218;
constexpr int listLevelWords = QTextFormat::UserProperty + 0x7219;
// On an image: the picture's properties as the file wrote them (QByteArray;
// Picture::properties).
constexpr int pictureProperties = QTextFormat::UserProperty + 0x721A;
// On a list of the file: the whole list's words and name (QByteArray;
// ListLabel::listWords).
constexpr int listWords = QTextFormat::UserProperty + 0x721B;
} // namespace property

// A run's format. Back from Qt, what the format leaves unset (bold, italic,
// underline, strike) is the document's default font's; family and size stay
// unset, as the reader leaves them where the file names none.
QTextCharFormat toCharFormat(const RunFormat& format);
RunFormat runFormatOf(const QTextCharFormat& format, const QFont& defaultFont);
// The fields a run is in, outermost first.
KeptRtfList fieldsOf(const QTextCharFormat& format);

// A paragraph's format, without its list (which is the block's QTextList).
// Back from Qt, with the list and the depth of the table it stands in.
QTextBlockFormat toBlockFormat(const ParagraphFormat& format);
ParagraphFormat paragraphFormatOf(const QTextBlock& block, int tableDepth);
// The list part of it: the list's kind, level, label and file's list id.
void setListOf(ParagraphFormat& paragraph, const QTextList* list);
// A paragraph's line spacing and tab stops as the block format holds them.
LineSpacing lineSpacingOf(const QTextBlockFormat& format);
std::vector<TabStop> tabStopsOf(const QTextBlockFormat& format);

// A list level's look as a Qt list format: its style, the text around its
// number, its level as the indent, the file's list it belongs to; and back.
// A prefix that shows numbers of the levels above shows parentNumbers in
// their place (the text of each level's current number, levels 0 to 8).
QTextListFormat::Style toListStyle(ListKind kind, BulletShape bullet = BulletShape::Disc);
QTextListFormat toListFormat(ListKind kind, const ListLabel& label, int level, int listId = 0,
                             const QStringList& parentNumbers = {});
int listIdOf(const QTextListFormat& format);
ListKind listKindOf(const QTextList* list);
ListLabel listLabelOf(const QTextListFormat& format);
int listLevelOf(const QTextListFormat& format);

// A cell's borders, shading and vertical alignment, with half the space
// between cells (\trgaph) as its padding; and back (edges and merges are the
// table's, not the cell format's).
QTextTableCellFormat toCellFormat(const CellFormat& cell, int gap);
CellFormat cellFormatOf(const QTextTableCellFormat& format);

// A picture's header as stored on its image, and back (without the bytes).
QList<int> pictureHeader(const Picture& picture);
Picture pictureFromHeader(const QList<int>& header);
// The picture as an image: PNG and JPEG within the size bound, a text box
// drawn from its text, a null image for anything else, which stays bytes.
// The size is read from the header first, so that a small file claiming a
// huge picture allocates nothing.
constexpr qint64 maxDecodedPictureBytes = 64 << 20;
QImage decodePicture(const Picture& picture);
// The picture an image of the document holds: as the file had it, or, for
// an image from elsewhere (pasted), what the document shows as PNG. None
// when the document has no such image.
std::optional<Picture> pictureOf(const QTextImageFormat& image, const QTextDocument& document);

// How the document's structure stands for the file's. Qt keeps an empty
// paragraph before a table that begins its frame, where the file most likely
// had none: true for that paragraph, when it has no format of its own.
bool isBeforeFirstTable(const QTextBlock& block, bool firstInFrame, const QTextFrame* next);
// The paragraphs and frames of a frame, in order, as the file has them:
// without that empty paragraph.
using FrameItem = std::variant<QTextBlock, QTextFrame*>;
std::vector<FrameItem> frameItems(QTextFrame::iterator it);
// The edges of a table's columns in twips, the left one first: as read, or
// for a table from elsewhere its fixed widths, else an inch a column.
std::vector<int> tableGridOf(const QTextTable* table);
// A cell the document added only to fill the grid where a row is shorter.
bool isFillerCell(const QTextTableCell& cell);
// A row's definition as the file would give it: the cells that are not
// fillers, their edges on the grid, a cell merged down from above marked so.
RowFormat rowFormatOf(const QTextTable* table, int row, const std::vector<int>& grid);

} // namespace rtf
