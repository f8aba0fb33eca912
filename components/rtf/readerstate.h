#pragma once

#include "components/rtf/documentsink.h"
#include "components/rtf/keptrtf.h"
#include "components/rtf/tokenizer.h"
#include "components/rtf/units.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rtf {

// Where the text of a group goes.
enum class Destination : std::uint8_t {
    Body,
    Skip,
    FontTable,
    ColorTable,
    ListTable,
    ListOverrideTable,
    LevelText, // \leveltext of a list level
    Pn,
    PnTextBefore, // \pntxtb: the text before a \pn paragraph's number
    PnTextAfter,  // \pntxta: after it
    Picture,
    ShapeName, // \sn: the name of the shape property whose \sv follows
    ShapeText, // \shptxt of a shape kept whole: the text its box shows
};

// Character properties as the file states them; resolved into a RunFormat
// only when a run is handed to the sink.
struct CharState {
    int font = -1; // -1: the default font (\deff)
    // After \dbch an \f names the font of East Asian text alone (-1: none
    // given), which the text of other scripts does not show in.
    bool doubleByte = false;
    int eastAsianFont = -1;
    // The font of the last \f, whichever text it was for: its character set
    // decodes the bytes that follow.
    int bytesFont = -1;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    UnderlineStyle underlineStyle = 0;
    bool strike = false;
    Caps caps = Caps::None;
    int spacing = 0;
    int raise = 0;
    bool hidden = false; // \v: kept with the next text, not shown
    std::string kept;    // see keepWord
    KeptRtfList fields;  // the instructions of the fields around the text
    int color = 0;
    int background = 0;
    int highlight = 0;
    VerticalPosition position = VerticalPosition::Normal;

    bool operator==(const CharState&) const = default;
};

// How a legacy \pn paragraph is numbered.
enum class PnType : std::uint8_t { None, Bullet, Numbered, Continue };

struct ParaState {
    Alignment alignment = Alignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    std::uint8_t indentsGiven = 0; // IndentsGiven bits, \lin and \rin as read
    int spaceBefore = 0;
    int spaceAfter = 0;
    bool rightToLeft = false; // \rtlpar
    // \lin and \rin: the indents where the paragraph's lines start and end,
    // the right and left ones in a right-to-left paragraph.
    std::optional<int> startIndent;
    std::optional<int> endIndent;
    int sl = 0; // \sl: 0 single, > 0 at least, < 0 exactly; lines with \slmult1
    bool slmult = false;
    std::vector<TabStop> tabs;
    TabStop nextTab;     // kind and leader given so far for the next \tx
    std::string kept;    // see keepWord
    std::string borders; // the paragraph's border words, side by side, as read
    int ls = 0;
    int ilvl = 0;
    PnType pnType = PnType::None;
    ListKind pnStyle = ListKind::None;
    int pnLevel = 0;
    QString pnBefore, pnAfter; // the text around its number
    bool inTable = false;      // \intbl
    int nesting = -1;          // \itapN; -1: not given

    bool operator==(const ParaState&) const = default;
};

// Adds a word to the ones kept as read ("\\keepn\\lang1031"), in place of
// an earlier one of the same name, so that only the word in effect stays.
void keepWord(std::string& kept, std::string_view name, bool hasParam, int param);
// A word as the file wrote it, with its parameter and a delimiting space.
std::string wordText(const Token& token);

// Adds a paragraph border side (\brdrt, \box ...) to the border words, in
// place of what they said of that side before.
void keepBorderSide(std::string& borders, std::string_view side);
// Adds a word that describes the last side (\brdrs, \brdrw20 ...).
void keepBorderWord(std::string& borders, std::string_view name, bool hasParam, int param);

// What a '{' saves and the matching '}' restores.
struct GroupState {
    CharState chr;
    ParaState para;
    Destination destination = Destination::Body;
    int unicodeSkip = 1;               // \ucN
    bool nestedRowDefinition = false;  // inside \nesttableprops
    std::size_t openedAt = 0;          // offset of the group's '{' in the file
    std::size_t firstToken = 0;        // the number of the group's first token
    bool keep = false;                 // a skipped group kept whole for the writer
    bool fieldInstruction = false;     // \fldinst: its field's result text gets it
    bool keepInline = false;           // a skipped group of the body kept where it stood
    bool footnote = false;             // \footnote: the note of a \chftn before it
    bool shape = false;                // \shp of the body: kept whole for its picture
    bool pictureProperties = false;    // \picprop of a picture: kept with it
    bool listLevel = false;            // \listlevel of the list table, and its groups
    bool listName = false;             // \listname of a list of the list table
    bool overrideLevel = false;        // \lfolevel of the list override table
    std::size_t shownAtOpen = 0;       // what the body had shown when the group opened
    std::size_t inlineAtOpen = 0;      // and the pieces kept inline till then
    qsizetype hiddenPieceAtOpen = -1;  // the hidden text kept just before the group
    std::size_t hiddenBytesAtOpen = 0; // and that piece's size then
    qsizetype hiddenLengthAtOpen = 0;  // and its text's length
};

} // namespace rtf
