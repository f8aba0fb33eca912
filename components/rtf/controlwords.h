#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

namespace rtf {

// Every control word the reader acts on. Words outside this list are ignored;
// destinations whose content never reaches the body are SkipDestination.
enum class Control : std::uint8_t {
    Unknown,
    // Destinations
    SkipDestination,
    Transparent, // a group whose text is body text (\field, \fldrslt, \result, ...)
    NestTableProps,
    Picture,
    FontTable,
    ColorTable,
    ListTable,
    ListOverrideTable,
    ListTextFallback,
    Pn,
    ShapeProperty, // \sp
    ShapeName,     // \sn
    ShapeValue,    // \sv
    // Document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    UnicodeSkip,
    Unicode,
    // Tables of fonts, colours and lists
    FontCharset,
    FontCodePage,
    Red,
    Green,
    Blue,
    List,
    ListId,
    ListLevel,
    LevelNumbering,
    LevelStart,
    ListOverride,
    ListNumber,
    ListLevelNumber,
    // Character format
    Plain,
    Font,
    DoubleByte, // \dbch on (value 1), or \loch, \hich, \ltrch off (value 0)
    FontSize,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Color,
    Background,
    Highlight,
    Super,
    Sub,
    NoSuperSub,
    Hidden,
    AllCaps,
    SmallCaps,
    Expand,      // \expnd: quarter points
    ExpandTwips, // \expndtw
    Up,
    Down,
    // Paragraph format
    Pard,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    RightToLeftPara,
    LeftToRightPara,
    LeftIndent,
    RightIndent,
    StartIndent,
    EndIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    TabKind,   // value: the rtf::TabKind
    TabLeader, // value: the rtf::TabLeader
    TabPosition,
    PnBullet,
    PnBody,
    PnContinue,
    PnLevel,
    PnDecimal,
    PnUpperAlpha,
    PnLowerAlpha,
    PnUpperRoman,
    PnLowerRoman,
    // Tables
    InTable,
    NestingLevel,
    RowDefaults,
    RowGap,
    RowLeft,
    RowAlign,
    CellEdge,
    CellMergeFirst,
    CellMerged,
    CellVerticalMergeFirst,
    CellVerticalMerged,
    CellBackground,
    CellAlign,
    CellBorder,  // value: the side (0 top, 1 left, 2 bottom, 3 right)
    OtherBorder, // borders of paragraphs, rows and characters
    BorderStyle, // value: the rtf::BorderStyle
    BorderWidth,
    BorderColor,
    // Pictures
    PictureKind, // value: the rtf::PictureKind
    PictureWidth,
    PictureHeight,
    PictureGoalWidth,
    PictureGoalHeight,
    PictureScaleX,
    PictureScaleY,
    PictureCropLeft,
    PictureCropRight,
    PictureCropTop,
    PictureCropBottom,
    BitmapBitsPerPixel,
    BitmapPlanes,
    BitmapWidthBytes,
    // A shape's place on the page, twips from its anchor: a text box's size
    ShapeLeft,
    ShapeTop,
    ShapeRight,
    ShapeBottom,
    // An older drawing object's (\do) width and height, after its text.
    DrawingWidth,
    DrawingHeight,
    // Breaks and special characters
    Par,
    SoftBreak, // \page, \sect, \column: end a paragraph that has content
    Cell,
    NestCell,
    Row,
    NestRow,
    NoteMark,       // \chftn: the number of the footnote or endnote that follows
    AnnotationMark, // \chatn: where an annotation stands
    Character,
};

// How a control word takes its parameter: the five sorts RTF has.
enum class ControlKind : std::uint8_t {
    Flag,        // a parameter means nothing, or is read by the word's own part (\pard, \ansicpg)
    Toggle,      // on without a parameter or with any but 0 (\b, \b0)
    Value,       // a number: a default where the file gives none, held within limits (\fs24)
    Symbol,      // a character (\emdash, \tab)
    Destination, // a group of content of its own (\fonttbl, \pict)
};

struct ControlInfo {
    Control control = Control::Unknown;
    char16_t character = 0; // for Control::Character
    std::uint8_t value = 0; // which one of a family of words
    ControlKind kind = ControlKind::Flag;
    int defaultParameter = 0;
    int minimum = std::numeric_limits<int>::min();
    int maximum = std::numeric_limits<int>::max();

    // The parameter as the word means it: 1 or 0 for a toggle; for a value,
    // the default where none is given, moved into the limits.
    int parameter(bool given, int parameter) const {
        switch (kind) {
        case ControlKind::Toggle:
            return !given || parameter != 0 ? 1 : 0;
        case ControlKind::Value:
            return std::clamp(given ? parameter : defaultParameter, minimum, maximum);
        default:
            return given ? parameter : defaultParameter;
        }
    }
};

ControlInfo lookupControl(std::string_view name);

// The words of tab stop kinds and leaders, by rtf::TabKind and rtf::TabLeader,
// for reading and for writing ("" where the default needs no word).
// Every underline word, by rtf::UnderlineStyle; "ul" is plain single.
inline constexpr std::string_view underlineWords[] = {
    "ul",         "uld",       "uldash",     "uldashd", "uldashdd", "uldb",
    "ulhwave",    "ulldash",   "ulth",       "ulthd",   "ulthdash", "ulthdashd",
    "ulthdashdd", "ulthldash", "ululdbwave", "ulw",     "ulwave"};
inline constexpr std::string_view tabKindWords[] = {"tql", "tqc", "tqr", "tqdec"};
inline constexpr std::string_view tabLeaderWords[] = {"",     "tldot", "tlmdot", "tlhyph",
                                                      "tlul", "tlth",  "tleq"};

// Destinations that belong to the document as a whole (style sheet, info,
// headers and footers, other programs' tables): kept and written back.
bool isKeptDocumentGroup(std::string_view name);
// Of those, the groups of a section (its headers and footers): after a
// section break they are that section's.
bool isSectionGroup(std::string_view name);
// Destinations that stand in for what the editor shows and writes itself,
// for readers that do not know it: dropped, never kept.
bool isAlternativeGroup(std::string_view name);
// Page setup and document formatting words, kept as read before the body.
bool isDocumentFormattingWord(std::string_view name);
// Paragraph and character words the editor does not show but keeps with
// their paragraph or run (keep with next, page break before, language ...).
bool isKeptParagraphWord(std::string_view name);
// \brdrt, \brdrb, \brdrl, \brdrr, \brdrbtw, \brdrbar and \box.
bool isParagraphBorderSide(std::string_view name);
bool isKeptCharacterWord(std::string_view name);
// Words of a list level kept with it (its label's alignment, font size ...).
bool isKeptListLevelWord(std::string_view name, Control control);

} // namespace rtf
