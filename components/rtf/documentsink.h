#pragma once

#include "components/rtf/keptrtf.h"
#include "components/rtf/units.h"

#include <QByteArray>
#include <QRgb>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rtf {

enum class VerticalPosition { Normal, Super, Sub };

// How text is underlined: the index of its word in underlineWords (single,
// dotted, double, wave ...), which the file gets back as it was.
using UnderlineStyle = std::uint8_t;
enum class Caps : std::uint8_t { None, All, Small };

// The character format of a run, resolved: font name instead of font number,
// RGB instead of colour-table index. An empty family means "no font named".
struct RunFormat {
    QString family;
    // A run whose East Asian letters have a font of their own (\dbch\f)
    // shows them in it and its other letters in the run's font: family is
    // one of the two, and both are kept for the file. Empty elsewhere.
    QString latinFamily;
    QString eastAsianFamily;
    double points = 0; // 0: no size of its own (the document's default font shows)
    bool bold = false;
    bool italic = false;
    bool underline = false;
    UnderlineStyle underlineStyle = 0; // with underline
    bool strike = false;
    std::optional<QRgb> color;
    std::optional<QRgb> background;
    VerticalPosition position = VerticalPosition::Normal;
    Caps caps = Caps::None;
    int spacing = 0; // between the characters, twips (\expndtw)
    int raise = 0;   // of the baseline, half points (\up, \dn negative)
    QByteArray kept; // words the editor does not show, as the file wrote them
    // The instructions ({\*\fldinst ...}) of the fields whose result this
    // text is, the outermost first (a table of contents, the hyperlink of an
    // entry, its page number); empty outside fields.
    KeptRtfList fields;
    // What the file had just before this text and the editor does not show:
    // bookmarks, annotations, hidden text, other programs' destinations.
    KeptRtf before;
    // The text stands for this RTF, which the file gets back instead of it: a
    // footnote's number in place of its \chftn and note.
    KeptRtf object;

    bool operator==(const RunFormat&) const = default;
};

enum class Alignment { Left, Center, Right, Justify };

enum class ListKind { None, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

// How a list level marks its items beyond its kind: the bullet's shape, the
// text around the number ("(" and ")" of "(a)"). The prefix holds the numbers
// of the levels above that the label shows ("1.2." for the second level) as
// the characters 0 to 8 of those levels, as \leveltext writes them.
enum class BulletShape : std::uint8_t { Disc, Circle, Square };
struct ListLabel {
    BulletShape bullet = BulletShape::Disc;
    QString prefix;
    QString suffix = QStringLiteral(".");
    // The first item's number (\levelstartat). The editor counts from 1 and
    // keeps this for the file.
    int start = 1;
    // The level's own indents (\li and \fi of \listlevel), where the file
    // gives them; the editor shows the items' own.
    std::optional<int> left, first;
    // The file's number format (\levelnfc) where the editor shows it as
    // another of its kind (22, "01", shows as decimal); what follows the
    // label (\levelfollow: 0 a tab, 1 a space, 2 nothing); and the level's
    // other words as the file wrote them (the label's alignment and font
    // size, legal numbering ...). The editor keeps them for the file.
    std::optional<int> numbering;
    int follow = 0;
    std::string words;
    // The words of the whole list the level is of (\listhybrid) and its
    // name group ({\listname ...;}), as the file wrote them: every level of
    // a list carries them, the writer writes them once.
    std::string listWords;

    bool operator==(const ListLabel&) const = default;
};

// Line spacing: \sl and \slmult. amount is a percentage of single spacing
// for Proportional, twips otherwise.
enum class LineRule { Single, Proportional, AtLeast, Exact };
struct LineSpacing {
    LineRule rule = LineRule::Single;
    int amount = 0;

    bool operator==(const LineSpacing&) const = default;
};

enum class TabKind { Left, Center, Right, Decimal };
enum class TabLeader { None, Dot, MiddleDot, Hyphen, Underline, ThickLine, Equal };

// A tab stop (\txN with the \tq and \tl words before it), in twips from the margin.
struct TabStop {
    int position = 0;
    TabKind kind = TabKind::Left;
    TabLeader leader = TabLeader::None;

    bool operator==(const TabStop&) const = default;
};

namespace IndentsGiven {
constexpr std::uint8_t left = 1, right = 2, first = 4;
// The left one as \lin alone: LibreOffice then keeps the level's first-line
// indent, where \li without \fi sets it to 0.
constexpr std::uint8_t leftAsStart = 8;
} // namespace IndentsGiven

// A paragraph's format; lengths in twips as RTF gives them.
struct ParagraphFormat {
    Alignment alignment = Alignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    // A paragraph runs left to right unless the file says otherwise; its
    // left and right (alignment, indents) are the page's sides either way.
    bool rightToLeft = false;
    LineSpacing line;
    std::vector<TabStop> tabs; // in the order of their positions
    // Words the editor does not show, as the file wrote them (borders and
    // shading name colours, so they come with their own colour list).
    KeptRtf kept;
    KeptRtf beforeEnd; // like RunFormat::before, after the paragraph's last text
    ListKind list = ListKind::None;
    int listLevel = 0; // 0 to 8
    // The file's list (\lsN) the paragraph is an item of: items of one list
    // count on across other paragraphs and tables. 0: a list of its own, which
    // ends at the first paragraph outside it. Negative: a list of the
    // document's own (see DocumentWalker), which counts on as the file's do.
    int listId = 0;
    // Which indents a list item states itself (IndentsGiven bits), 0 or not:
    // readers weigh what an item states against its level's indents, so a
    // saved item states the same.
    std::uint8_t indentsGiven = 0;
    ListLabel listLabel;
    // 0 outside tables, 1 in a cell of a table of the body, 2 in a table inside
    // such a cell, and so on.
    int tableDepth = 0;

    bool operator==(const ParagraphFormat&) const = default;
};

enum class BorderStyle { None, Solid, Double, Dotted, Dashed };

// One side of a cell's border; width in twips.
struct CellBorder {
    BorderStyle style = BorderStyle::None;
    int width = 0;
    std::optional<QRgb> color;

    bool operator==(const CellBorder&) const = default;
};

enum class CellAlignment { Top, Center, Bottom };

// The right-most cell edge read (44 inches). Edges the document makes up for
// cells without a definition stay within it too, so that what is saved reads
// back to the same edges.
constexpr int maxCellEdge = 2 * units::maxTwips;

// A cell as the row definition gives it: its right edge (\cellx) in twips from
// the margin, borders, shading and how it merges with its neighbours.
struct CellFormat {
    int rightEdge = 0;
    CellBorder top, left, bottom, right;
    std::optional<QRgb> background;
    CellAlignment alignment = CellAlignment::Top;
    bool mergeFirst = false;         // \clmgf: cells marked merged follow
    bool merged = false;             // \clmrg: part of the cell on its left
    bool verticalMergeFirst = false; // \clvmgf
    bool verticalMerged = false;     // \clvmrg: part of the cell above

    bool operator==(const CellFormat&) const = default;
};

// A table row's definition (\trowd ... \cellx), in twips.
struct RowFormat {
    int left = 0; // \trleft: where the first cell begins
    int gap = 0;  // \trgaph: half the space between cells' text
    Alignment alignment = Alignment::Left;
    std::vector<CellFormat> cells;

    bool operator==(const RowFormat&) const = default;
};

// TextBox is no picture of the file: it is what a text box (a shape with text
// of its own, kept whole) shows, drawn from its text, which data holds in UTF-8.
enum class PictureKind { Unknown, Png, Jpeg, Emf, Wmf, MacPict, Os2Metafile, Dib, Bitmap, TextBox };

// A picture as the file holds it. Sizes are as written: \picw and \pich are
// pixels for bitmaps and hundredths of a millimetre for metafiles, the goals
// twips, the scales percent. data holds the picture's own bytes (decoded from
// hex, or as \bin gave them).
struct Picture {
    PictureKind kind = PictureKind::Unknown;
    int kindParameter = 0; // \wmetafileN's mapping mode, \dibitmapN's type
    int width = 0;
    int height = 0;
    int goalWidth = 0; // 0: not given
    int goalHeight = 0;
    int scaleX = 100;
    int scaleY = 100;
    int cropLeft = 0, cropRight = 0, cropTop = 0, cropBottom = 0;
    int bitsPerPixel = 0, planes = 0, widthBytes = 0; // old bitmaps' layout
    QByteArray data;
    // Its {\*\picprop ...} as the file wrote it: a description (alt text),
    // name and shape settings the editor does not show.
    QByteArray properties;

    // The size the picture is meant to show at, in twips; naturalWidth and
    // naturalHeight are its pixels when the file gives none.
    int intendedWidth(int naturalWidth = 0) const;
    int intendedHeight(int naturalHeight = 0) const;
    bool isBitmap() const;
};

// The reader's only output. Calls come in document order: the runs and
// pictures of a paragraph, then its end. Inside a table every paragraph comes
// with its tableDepth; after the last paragraph of a cell comes endCell, after
// the last cell of a row endRow with the row's definition (files may define a
// row before or after its cells, so the definition only counts at its end).
// A sink that knows no tables sees the cells as paragraphs in order.
class DocumentSink {
public:
    virtual ~DocumentSink() = default;
    // Text of one run; never empty, never holds a paragraph break.
    virtual void text(QStringView text, const RunFormat& format) = 0;
    // Ends the paragraph whose runs came since the last end. markFormat is the
    // character format at the paragraph mark, which an empty paragraph shows.
    virtual void endParagraph(const ParagraphFormat& format, const RunFormat& markFormat) = 0;
    // A picture inside the current paragraph, where a run would be. Sinks that
    // cannot show pictures get the object character that stands for one.
    virtual void picture(const Picture& picture, const RunFormat& format);
    // The paragraphs since the previous cell end at this depth form one cell.
    virtual void endCell(int /*depth*/) {}
    // The cells since the previous row end at this depth form one row.
    virtual void endRow(const RowFormat& /*row*/, int /*depth*/) {}
    // A piece of the file kept whole for writing back (style sheet, header,
    // page setup ...), in file order; sinks that do not write RTF ignore it.
    virtual void keep(const KeptRtf& /*kept*/) {}
    // The file's default font (\deff) is not in its font table: text that
    // names no font of its own shows in each reader's default, and a saved
    // file must leave it to them as well.
    virtual void noDefaultFont() {}
    // Before a paragraph's end: the fields (outermost first) that its last
    // text and the next paragraph's first text are both in, where the next
    // paragraph follows it outside tables. A writer keeps them open across
    // the paragraph break, so that a field over several paragraphs (a table
    // of contents) stays one; the reader has nothing to say here.
    virtual void fieldsGoOn(const KeptRtfList& /*fields*/) {}
    // The end of the document; no call follows.
    virtual void finish() {}
};

} // namespace rtf
