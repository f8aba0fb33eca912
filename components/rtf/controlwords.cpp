#include "components/rtf/controlwords.h"

#include "components/rtf/documentsink.h"
#include "components/rtf/reader.h"
#include "components/rtf/units.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace rtf {
namespace {

// Destinations whose text is never body text (the published RTF 1.9.1 list).
constexpr std::string_view skippedDestinations =
    "aftncn aftnsep aftnsepc annotation atnauthor atndate atnicn atnid atnparent atnref atntime "
    "atrfend atrfstart author background bkmkend bkmkstart blipuid buptim category "
    "colorschememapping comment company creatim datafield datastore defchp defpap doccomm "
    "docvar ebcend ebcstart factoidname falt fchars ffdeftext ffentrymcr ffexitmcr "
    "ffformat ffhelptext ffl ffname ffstattext file filetbl fldinst fldtype fname fontemb "
    "fontfile footer footerf footerl footerr footnote formfield ftncn ftnsep ftnsepc g generator "
    "gridtbl header headerf headerl headerr hl hlfr hlinkbase hlloc hlsrc hsv htmltag info "
    "keycode keywords latentstyles lchars levelnumbers leveltext lfolevel linkval listname "
    "listpicture liststylename lsdlockedexcept macc maccPr mailmerge manager mmath mmathPict "
    "mmathPr nextfile nonesttables nonshppict objalias objclass objdata objname "
    "objsect objtime oldcprops oldpprops oldsprops oldtprops oleclsid operator panose password "
    "passwordhash pgp pgptbl picprop pnseclvl pntxta pntxtb printim private propname "
    "protend protstart protusertbl pxe revtbl revtim rsidtbl rxe shprslt "
    "staticval stylesheet subject svb tc template themedata title txe ud userprops "
    "wgrffmtfilter windowcaption writereservation writereservhash xe xform xmlattrname "
    "xmlattrvalue xmlclose xmlname xmlnstbl xmlopen";

using Table = std::unordered_map<std::string_view, ControlInfo>;

ControlInfo make(Control control, char16_t character = 0, std::uint8_t value = 0) {
    ControlInfo info;
    info.control = control;
    info.character = character;
    info.value = value;
    return info;
}

Table buildTable() {
    Table table;
    std::string_view rest = skippedDestinations;
    while (!rest.empty()) {
        const std::size_t space = rest.find(' ');
        table.emplace(rest.substr(0, space), make(Control::SkipDestination));
        rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
    }
    const std::pair<std::string_view, Control> words[] = {
        {"field", Control::Transparent},
        {"fldrslt", Control::Transparent},
        {"result", Control::Transparent},
        {"shp", Control::Transparent},
        {"shpgrp", Control::Transparent},
        {"sp", Control::ShapeProperty},
        {"sn", Control::ShapeName},
        {"sv", Control::ShapeValue},
        {"shppict", Control::Transparent},
        {"object", Control::Transparent},
        {"shpinst", Control::Transparent},
        {"shptxt", Control::Transparent},
        {"do", Control::Transparent},
        {"dptxbxtext", Control::Transparent},
        {"upr", Control::Transparent},
        // Holds a nested row's definition, and in some files the nested
        // cells' text too; that text belongs to the body.
        {"nesttableprops", Control::NestTableProps},
        {"pict", Control::Picture},
        {"fonttbl", Control::FontTable},
        {"colortbl", Control::ColorTable},
        {"listtable", Control::ListTable},
        {"listoverridetable", Control::ListOverrideTable},
        {"listtext", Control::ListTextFallback},
        {"pntext", Control::ListTextFallback},
        {"pn", Control::Pn},
        {"ansi", Control::Ansi},
        {"mac", Control::Mac},
        {"pc", Control::Pc},
        {"pca", Control::Pca},
        {"ansicpg", Control::AnsiCodePage},
        {"deff", Control::DefaultFont},
        {"uc", Control::UnicodeSkip},
        {"u", Control::Unicode},
        {"fcharset", Control::FontCharset},
        {"cpg", Control::FontCodePage},
        {"red", Control::Red},
        {"green", Control::Green},
        {"blue", Control::Blue},
        {"list", Control::List},
        {"listid", Control::ListId},
        {"listlevel", Control::ListLevel},
        {"levelnfc", Control::LevelNumbering},
        {"levelnfcn", Control::LevelNumbering},
        {"levelstartat", Control::LevelStart},
        {"listoverride", Control::ListOverride},
        {"ls", Control::ListNumber},
        {"ilvl", Control::ListLevelNumber},
        {"plain", Control::Plain},
        {"f", Control::Font},
        {"fs", Control::FontSize},
        {"b", Control::Bold},
        {"i", Control::Italic},
        {"ulnone", Control::UnderlineNone},
        {"strike", Control::Strike},
        {"striked", Control::Strike},
        {"cf", Control::Color},
        {"cb", Control::Background},
        {"chcbpat", Control::Background},
        {"highlight", Control::Highlight},
        {"super", Control::Super},
        {"sub", Control::Sub},
        {"nosupersub", Control::NoSuperSub},
        {"v", Control::Hidden},
        {"caps", Control::AllCaps},
        {"scaps", Control::SmallCaps},
        {"expnd", Control::Expand},
        {"expndtw", Control::ExpandTwips},
        {"up", Control::Up},
        {"dn", Control::Down},
        {"pard", Control::Pard},
        {"ql", Control::AlignLeft},
        {"qc", Control::AlignCenter},
        {"qr", Control::AlignRight},
        {"qj", Control::AlignJustify},
        {"rtlpar", Control::RightToLeftPara},
        {"ltrpar", Control::LeftToRightPara},
        {"li", Control::LeftIndent},
        {"lin", Control::StartIndent},
        {"ri", Control::RightIndent},
        {"rin", Control::EndIndent},
        {"fi", Control::FirstIndent},
        {"sb", Control::SpaceBefore},
        {"sa", Control::SpaceAfter},
        {"sl", Control::LineSpacing},
        {"slmult", Control::LineMultiple},
        {"tx", Control::TabPosition},
        {"pnlvlblt", Control::PnBullet},
        {"pnlvlbody", Control::PnBody},
        {"pnlvlcont", Control::PnContinue},
        {"pnlvl", Control::PnLevel},
        {"pndec", Control::PnDecimal},
        {"pnucltr", Control::PnUpperAlpha},
        {"pnlcltr", Control::PnLowerAlpha},
        {"pnucrm", Control::PnUpperRoman},
        {"pnlcrm", Control::PnLowerRoman},
        {"par", Control::Par},
        {"chftn", Control::NoteMark},
        {"chatn", Control::AnnotationMark},
        {"page", Control::SoftBreak},
        {"sect", Control::SoftBreak},
        {"column", Control::SoftBreak},
        {"cell", Control::Cell},
        {"nestcell", Control::NestCell},
        {"row", Control::Row},
        {"nestrow", Control::NestRow},
        {"intbl", Control::InTable},
        {"itap", Control::NestingLevel},
        {"trowd", Control::RowDefaults},
        {"trgaph", Control::RowGap},
        {"trleft", Control::RowLeft},
        {"cellx", Control::CellEdge},
        {"clmgf", Control::CellMergeFirst},
        {"clmrg", Control::CellMerged},
        {"clvmgf", Control::CellVerticalMergeFirst},
        {"clvmrg", Control::CellVerticalMerged},
        {"clcbpat", Control::CellBackground},
        {"brdrw", Control::BorderWidth},
        {"brdrcf", Control::BorderColor},
        {"picw", Control::PictureWidth},
        {"pich", Control::PictureHeight},
        {"picwgoal", Control::PictureGoalWidth},
        {"pichgoal", Control::PictureGoalHeight},
        {"picscalex", Control::PictureScaleX},
        {"picscaley", Control::PictureScaleY},
        {"piccropl", Control::PictureCropLeft},
        {"piccropr", Control::PictureCropRight},
        {"piccropt", Control::PictureCropTop},
        {"piccropb", Control::PictureCropBottom},
        {"wbmbitspixel", Control::BitmapBitsPerPixel},
        {"wbmplanes", Control::BitmapPlanes},
        {"wbmwidthbytes", Control::BitmapWidthBytes},
        {"shpleft", Control::ShapeLeft},
        {"shptop", Control::ShapeTop},
        {"shpright", Control::ShapeRight},
        {"shpbottom", Control::ShapeBottom},
        {"dpxsize", Control::DrawingWidth},
        {"dpysize", Control::DrawingHeight},
    };
    for (const auto& [name, control] : words)
        table[name] = make(control);
    // Each word's kind, and for values their default and limits: the one
    // place that says what a parameter may be.
    struct Limits {
        Control control;
        ControlKind kind;
        int defaultParameter = 0;
        int minimum = std::numeric_limits<int>::min();
        int maximum = std::numeric_limits<int>::max();
    };
    constexpr int length = units::maxTwips;
    constexpr int size = 1 << 20; // beyond this a picture's size means nothing a page shows
    const Limits limits[] = {
        {Control::Bold, ControlKind::Toggle},
        {Control::Italic, ControlKind::Toggle},
        {Control::Underline, ControlKind::Toggle},
        {Control::Strike, ControlKind::Toggle},
        {Control::AllCaps, ControlKind::Toggle},
        {Control::SmallCaps, ControlKind::Toggle},
        {Control::Super, ControlKind::Toggle},
        {Control::Sub, ControlKind::Toggle},
        {Control::Hidden, ControlKind::Toggle},
        {Control::LineMultiple, ControlKind::Toggle},
        {Control::Unicode, ControlKind::Value, 0xFFFD},
        {Control::DefaultFont, ControlKind::Value},
        {Control::UnicodeSkip, ControlKind::Value, 1, 0, 16},
        {Control::Font, ControlKind::Value},
        {Control::FontCharset, ControlKind::Value},
        {Control::FontCodePage, ControlKind::Value},
        {Control::Red, ControlKind::Value},
        {Control::Green, ControlKind::Value},
        {Control::Blue, ControlKind::Value},
        {Control::LevelNumbering, ControlKind::Value},
        {Control::LevelStart, ControlKind::Value, 1, 0, 32767},
        {Control::ListId, ControlKind::Value},
        {Control::ListOverride, ControlKind::Value},
        {Control::ListNumber, ControlKind::Value, 0, 0},
        {Control::ListLevelNumber, ControlKind::Value, 0, 0, 8},
        {Control::FontSize, ControlKind::Value, 24, std::numeric_limits<int>::min(), 3276},
        {Control::Expand, ControlKind::Value, 0, -6000, 6000},
        {Control::ExpandTwips, ControlKind::Value, 0, -30000, 30000},
        {Control::Up, ControlKind::Value, 6, -3276, 3276},
        {Control::Down, ControlKind::Value, 6, -3276, 3276},
        {Control::Color, ControlKind::Value, 0, 0},
        {Control::Background, ControlKind::Value, 0, 0},
        {Control::Highlight, ControlKind::Value, 0, 0},
        {Control::LeftIndent, ControlKind::Value, 0, -length, length},
        {Control::RightIndent, ControlKind::Value, 0, -length, length},
        {Control::StartIndent, ControlKind::Value, 0, -length, length},
        {Control::EndIndent, ControlKind::Value, 0, -length, length},
        {Control::FirstIndent, ControlKind::Value, 0, -length, length},
        {Control::SpaceBefore, ControlKind::Value, 0, -length, length},
        {Control::SpaceAfter, ControlKind::Value, 0, -length, length},
        {Control::LineSpacing, ControlKind::Value, 0, -maxCellEdge, maxCellEdge},
        {Control::TabPosition, ControlKind::Value, 0, 0, maxCellEdge},
        {Control::PnLevel, ControlKind::Value, 1, 1, 9},
        {Control::NestingLevel, ControlKind::Value, 1, 0, Reader::maxTableDepth},
        {Control::RowGap, ControlKind::Value, 0, 0, length},
        {Control::RowLeft, ControlKind::Value, 0, -length, length},
        {Control::CellEdge, ControlKind::Value, 0, -length, maxCellEdge},
        {Control::CellBackground, ControlKind::Value, 0, 0},
        {Control::BorderWidth, ControlKind::Value, 0, 0, units::twipsPerInch},
        {Control::BorderColor, ControlKind::Value, 0, 0},
        {Control::PictureWidth, ControlKind::Value, 0, 0, size},
        {Control::PictureHeight, ControlKind::Value, 0, 0, size},
        {Control::PictureGoalWidth, ControlKind::Value, 0, 0, length * 4},
        {Control::PictureGoalHeight, ControlKind::Value, 0, 0, length * 4},
        {Control::PictureScaleX, ControlKind::Value, 100, 1, 1000},
        {Control::PictureScaleY, ControlKind::Value, 100, 1, 1000},
        {Control::PictureCropLeft, ControlKind::Value, 0, -length, length},
        {Control::PictureCropRight, ControlKind::Value, 0, -length, length},
        {Control::PictureCropTop, ControlKind::Value, 0, -length, length},
        {Control::PictureCropBottom, ControlKind::Value, 0, -length, length},
        {Control::BitmapBitsPerPixel, ControlKind::Value, 0, 0, 64},
        {Control::BitmapPlanes, ControlKind::Value, 0, 0, 64},
        {Control::BitmapWidthBytes, ControlKind::Value, 0, 0, size},
        {Control::ShapeLeft, ControlKind::Value, 0, -length * 4, length * 4},
        {Control::ShapeTop, ControlKind::Value, 0, -length * 4, length * 4},
        {Control::ShapeRight, ControlKind::Value, 0, -length * 4, length * 4},
        {Control::ShapeBottom, ControlKind::Value, 0, -length * 4, length * 4},
        {Control::DrawingWidth, ControlKind::Value, 0, 0, length * 4},
        {Control::DrawingHeight, ControlKind::Value, 0, 0, length * 4},
    };
    const auto valued = [&](std::string_view name, Control control, auto value) {
        table[name] = make(control, 0, static_cast<std::uint8_t>(value));
    };
    for (std::size_t style = 0; style < std::size(underlineWords); ++style)
        valued(underlineWords[style], Control::Underline, style);
    for (std::size_t kind = 0; kind < std::size(tabKindWords); ++kind)
        valued(tabKindWords[kind], Control::TabKind, kind);
    for (std::size_t leader = 1; leader < std::size(tabLeaderWords); ++leader)
        valued(tabLeaderWords[leader], Control::TabLeader, leader);
    valued("dbch", Control::DoubleByte, 1);
    for (std::string_view name : {"loch", "hich", "ltrch"})
        valued(name, Control::DoubleByte, 0);
    valued("trql", Control::RowAlign, Alignment::Left);
    valued("trqc", Control::RowAlign, Alignment::Center);
    valued("trqr", Control::RowAlign, Alignment::Right);
    valued("clvertalt", Control::CellAlign, CellAlignment::Top);
    valued("clvertalc", Control::CellAlign, CellAlignment::Center);
    valued("clvertalb", Control::CellAlign, CellAlignment::Bottom);
    valued("clbrdrt", Control::CellBorder, 0);
    valued("clbrdrl", Control::CellBorder, 1);
    valued("clbrdrb", Control::CellBorder, 2);
    valued("clbrdrr", Control::CellBorder, 3);
    for (std::string_view name :
         {"brdrt", "brdrb", "brdrl", "brdrr", "brdrbtw", "brdrbar", "box", "trbrdrt", "trbrdrl",
          "trbrdrb", "trbrdrr", "trbrdrh", "trbrdrv", "chbrdr"})
        table[name] = make(Control::OtherBorder);
    // The document draws four kinds of line; the other styles show as the
    // nearest of them.
    for (std::string_view name :
         {"brdrs", "brdrth", "brdrsh", "brdrhair", "brdrtriple", "brdrwavy", "brdrengrave",
          "brdremboss", "brdroutset", "brdrinset", "brdrframe"})
        valued(name, Control::BorderStyle, BorderStyle::Solid);
    for (std::string_view name : {"brdrdb", "brdrwavydb"})
        valued(name, Control::BorderStyle, BorderStyle::Double);
    valued("brdrdot", Control::BorderStyle, BorderStyle::Dotted);
    for (std::string_view name :
         {"brdrdash", "brdrdashsm", "brdrdashd", "brdrdashdd", "brdrdashdotstr"})
        valued(name, Control::BorderStyle, BorderStyle::Dashed);
    for (std::string_view name : {"brdrnone", "brdrnil", "brdrtbl"})
        valued(name, Control::BorderStyle, BorderStyle::None);
    valued("pngblip", Control::PictureKind, PictureKind::Png);
    valued("jpegblip", Control::PictureKind, PictureKind::Jpeg);
    valued("emfblip", Control::PictureKind, PictureKind::Emf);
    valued("wmetafile", Control::PictureKind, PictureKind::Wmf);
    valued("macpict", Control::PictureKind, PictureKind::MacPict);
    valued("pmmetafile", Control::PictureKind, PictureKind::Os2Metafile);
    valued("dibitmap", Control::PictureKind, PictureKind::Dib);
    valued("wbitmap", Control::PictureKind, PictureKind::Bitmap);
    const std::pair<std::string_view, char16_t> characters[] = {
        {"line", 0x2028},    {"tab", u'\t'},        {"emdash", 0x2014},    {"endash", 0x2013},
        {"emspace", 0x2003}, {"enspace", 0x2002},   {"qmspace", 0x2005},   {"lquote", 0x2018},
        {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"bullet", 0x2022},
        {"zwj", 0x200D},     {"zwnj", 0x200C},      {"ltrmark", 0x200E},   {"rtlmark", 0x200F},
        {"zwbo", 0x200B},
    };
    for (const auto& [name, c] : characters)
        table[name] = make(Control::Character, c);
    for (auto& [name, info] : table) {
        if (info.control >= Control::SkipDestination && info.control <= Control::ShapeValue)
            info.kind = ControlKind::Destination;
        else if (info.control == Control::Character)
            info.kind = ControlKind::Symbol;
        for (const Limits& limit : limits)
            if (limit.control == info.control) {
                info.kind = limit.kind;
                info.defaultParameter = limit.defaultParameter;
                info.minimum = limit.minimum;
                info.maximum = limit.maximum;
            }
    }
    return table;
}

} // namespace

ControlInfo lookupControl(std::string_view name) {
    static const Table table = buildTable();
    auto found = table.find(name);
    return found == table.end() ? ControlInfo{} : found->second;
}

namespace {

// Words separated by single blanks, looked up by hashing: the reader asks
// for every control word of the body, so scanning the lists would cost a
// noticeable share of a load.
class WordSet {
public:
    explicit WordSet(std::string_view names) {
        for (std::size_t at = 0; at <= names.size();) {
            const std::size_t end = std::min(names.find(' ', at), names.size());
            if (end > at)
                words_.insert(names.substr(at, end - at));
            at = end + 1;
        }
    }
    bool contains(std::string_view name) const { return words_.count(name) != 0; }

private:
    std::unordered_set<std::string_view> words_;
};

} // namespace

bool isSectionGroup(std::string_view name) {
    static const WordSet words("header headerl headerr headerf footer footerl footerr footerf");
    return words.contains(name);
}

bool isKeptDocumentGroup(std::string_view name) {
    static const WordSet words(
        "stylesheet info header headerl headerr headerf footer footerl footerr footerf "
        "generator latentstyles themedata colorschememapping rsidtbl xmlnstbl mmathPr "
        "defchp defpap pgdsctbl userprops revtbl listpicture ftnsep ftnsepc ftncn "
        "aftnsep aftnsepc aftncn docvar wgrffmtfilter pgptbl datastore filetbl "
        "protusertbl template fchars lchars");
    return words.contains(name);
}

bool isAlternativeGroup(std::string_view name) {
    // A picture for readers without shapes, a shape's drawn result, the text
    // of nested tables for readers without them, the ANSI text's Unicode twin;
    // and a font's own parts, which mean nothing outside its table.
    static const WordSet words(
        "nonshppict shprslt nonesttables ud falt panose fname fontemb fontfile");
    return words.contains(name);
}

bool isKeptParagraphWord(std::string_view name) {
    static const WordSet words(
        "s keepn keep pagebb widctlpar nowidctlpar hyphpar nohyphpar noline outlinelevel "
        "contextualspace sbauto saauto shading cbpat cfpat bghoriz bgvert bgfdiag "
        "bgbdiag bgcross bgdcross bgdkhoriz bgdkvert bgdkfdiag bgdkbdiag bgdkcross "
        "bgdkdcross "
        // A paragraph frame: its place on the page, size and wrapping.
        "absw absh posx posxc posxi posxo posxl posxr posy posyt posyil posyb posyc "
        "posyin posyout posnegx posnegy phmrg phpg phcol pvmrg pvpg pvpara dxfrtext "
        "dfrmtxtx dfrmtxty nowrap overlay absnoovrlp abslock dropcapli dropcapt "
        "frmtxlrtb frmtxtbrl frmtxbtlr frmtxlrtbv frmtxtbrlv wrapdefault wraparound "
        "wraptight wrapthrough");
    return words.contains(name);
}

bool isParagraphBorderSide(std::string_view name) {
    static const WordSet words("brdrt brdrb brdrl brdrr brdrbtw brdrbar box");
    return words.contains(name);
}

bool isKeptCharacterWord(std::string_view name) {
    static const WordSet words(
        "lang langfe langnp langfenp noproof cs cgrid kerning charscalex outl shad embo impr "
        "v webhidden");
    return words.contains(name);
}

bool isKeptListLevelWord(std::string_view name, Control control) {
    // Character and paragraph formats only: text, binary data or another
    // list's words would read back otherwise. Nor what the list model reads,
    // nor words that name an entry of the font or colour table (the saved
    // file numbers those afresh) or a picture of the list table (the editor
    // shows a bullet in its place).
    const bool format = control == Control::Unknown
                            ? name != "bin"
                            : control >= Control::Plain && control <= Control::TabPosition;
    static const WordSet modelled("listlevel levelnfc levelnfcn levelstartat levelfollow li lin "
                                  "fi f af cf cb highlight chcbpat chcfpat ulc levelpicture "
                                  "levelpicturenosize");
    return format && !modelled.contains(name);
}

bool isDocumentFormattingWord(std::string_view name) {
    static const WordSet words(
        "paperw paperh psz margl margr margt margb gutter margmirror landscape facingp "
        "titlepg deftab widowctrl ftnbj aenddoc aftnnar fet viewkind viewscale viewzk "
        "ftnstart ftnnar ftnnalc ftnnauc ftnnrlc ftnnruc ftnnchi aftnstart aftnnalc "
        "aftnnauc aftnnrlc aftnnruc aftnnchi ftnrstcont ftnrestart aftnrstcont "
        "aftnrestart "
        "sectd sbknone sbkpage sbkcol sbkeven sbkodd cols colsx linebetcol pgwsxn "
        "pghsxn marglsxn margrsxn margtsxn margbsxn guttersxn lndscpsxn headery "
        "footery pgnstarts pgnrestart pgncont pgndec vertalt vertalc vertalb vertalj "
        "endnhere linemod linex linestarts htmautsp noxlattoyen expshrtn noultrlspc "
        "dntblnsbdb nospaceforul formshade horzdoc dghspace dgvspace dghorigin "
        "dgvorigin dghshow dgvshow jexpand splytwnine ftnlytwnine nolnhtadjtbl "
        "useltbaln alntblind lytcalctblwd lyttblrtgr lnbrkrule nobrkwrptbl "
        "snaptogridincell allowfieldendsel wrppunct asianbrkrule newtblstyruls "
        "nogrowautofit utinl");
    return words.contains(name);
}

} // namespace rtf
