#include "recordingsink.h"

#include <gtest/gtest.h>

using rtf::Alignment;
using rtf::ListKind;
using rtf::VerticalPosition;

namespace {

// The format of the run holding `text` in a one-paragraph document.
rtf::RunFormat formatOf(const RecordingSink& sink, const QString& text) {
    for (const auto& paragraph : sink.paragraphs)
        for (const auto& run : paragraph.runs)
            if (run.text == text)
                return run.format;
    ADD_FAILURE() << "no run " << text.toStdString() << " in " << sink.joined().toStdString();
    return {};
}

} // namespace

TEST(ReaderText, BreaksAndSpecialCharacters) {
    EXPECT_EQ(bodyText("a\\par b\\line c\\tab d"), u"a|b\u2028c\td");
    EXPECT_EQ(bodyText("\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet"),
              u"\u2014\u2013\u2018\u2019\u201C\u201D\u2022");
    EXPECT_EQ(bodyText("a\\~b\\-c\\_d"), u"a\u00A0b\u00ADc\u2011d");
    EXPECT_EQ(bodyText("\\{\\}\\\\"), u"{}\\");
    // Line ends in the file are not text; a backslash before one is a \par.
    EXPECT_EQ(bodyText("one\r\ntwo\\\nthree"), u"onetwo|three");
    // A control word's space delimiter is not text, a second space is.
    EXPECT_EQ(bodyText("\\b  x\\b0"), u" x");
}

TEST(ReaderText, PageAndSectionBreaksEndOnlyParagraphsWithText) {
    EXPECT_EQ(bodyText("one\\page two\\sect three"), u"one|two|three");
    EXPECT_EQ(bodyText("one\\par\\page two\\par\\sect\\sectd three"), u"one|two|three");
    EXPECT_EQ(bodyText("\\par\\par x"), u"||x");
}

TEST(ReaderText, LastParagraphNeedsNoPar) {
    EXPECT_EQ(bodyText("one\\par two"), u"one|two");
    EXPECT_EQ(bodyText("one\\par"), u"one");
}

TEST(ReaderUnicode, NegativeValuesAndSurrogatePairs) {
    EXPECT_EQ(bodyText("\\u-3913?"), u"\uF0B7");
    EXPECT_EQ(bodyText("\\u8364?"), u"\u20AC");
    EXPECT_EQ(bodyText("\\u-10179?\\u-8694?"), u"\U0001F60A");
    // A half of a pair alone is no character.
    EXPECT_EQ(bodyText("a\\u-10179?b"), u"a\uFFFDb");
    // Some writers give characters beyond 16 bits as they are.
    EXPECT_EQ(bodyText("\\u128522?"), u"\U0001F60A");
}

TEST(ReaderUnicode, FallbackSkippedPerGroup) {
    EXPECT_EQ(bodyText("\\u233\\'e9x"), u"\u00E9x");
    EXPECT_EQ(bodyText("\\uc2\\u233\\'e9\\'e9x"), u"\u00E9x");
    EXPECT_EQ(bodyText("\\uc2\\u233 abx"), u"\u00E9x");
    // A control word counts as one character of the fallback.
    EXPECT_EQ(bodyText("\\uc2\\u233\\bullet\\'e9x"), u"\u00E9x");
    EXPECT_EQ(bodyText("\\uc0\\u233 x"), u"\u00E9x");
    // A brace ends the fallback, and \uc is restored with the group.
    EXPECT_EQ(bodyText("{\\uc3\\u233}ab{\\u233 cd}"), u"\u00E9ab\u00E9d");
    EXPECT_EQ(bodyText("{\\uc2 x}\\u233 ab"), u"x\u00E9b");
}

TEST(ReaderCodePage, HexBytesFollowFontDocumentOrDefault) {
    EXPECT_EQ(bodyText("\\'e9\\'80"), u"\u00E9\u20AC");
    EXPECT_EQ(
        QString::fromUtf8(readRtf("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}").joined().toUtf8()),
        u"При");
    const char* fonts = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}"
                        "{\\f1\\fcharset204 Arial Cyr;}{\\f2\\fcharset161 Greek;}"
                        "{\\f3\\cpg1253\\fcharset204 Both;}}";
    EXPECT_EQ(readRtf(std::string(fonts) + "\\'e9\\f1\\'e9\\f2\\'e9\\f3\\'e9}").joined(),
              u"\u00E9\u0439\u03B9\u03B9");
    // \plain goes back to the default font, and so to its code page.
    EXPECT_EQ(readRtf(std::string(fonts) + "\\f1\\'e9\\plain\\'e9}").joined(), u"\u0439\u00E9");
    // Raw 8-bit text uses the same code page as \'hh.
    EXPECT_EQ(readRtf(std::string(fonts) + "\\f1 \xe9}").joined(), u"\u0439");
}

TEST(ReaderCodePage, OldCharacterSets) {
    EXPECT_EQ(readRtf("{\\rtf1\\mac \\'8e}").joined(), u"\u00E9");
    EXPECT_EQ(readRtf("{\\rtf1\\pc \\'82}").joined(), u"\u00E9");
    EXPECT_EQ(readRtf("{\\rtf1\\pca \\'d5}").joined(), u"\u0131");
}

TEST(ReaderCodePage, DoubleByteCharactersJoinAcrossTokens) {
    const std::string header = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0 ";
    EXPECT_EQ(readRtf(header + "\\'93\\'fa\\'96\\'7b}").joined(), u"日本");
    // One escape and one plain letter make a character too.
    EXPECT_EQ(readRtf(header + "\\'83N}").joined(), u"ク");
    // Shift-JIS trail bytes may be a backslash or a brace, written raw.
    EXPECT_EQ(readRtf(header + "\x95\\\x94\\\\\\}").joined(), u"表能\\");
    EXPECT_EQ(readRtf(header + "\x84{\x84}x}").joined(), u"кмx");
    EXPECT_EQ(readRtf("{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\'ce\\'c4}").joined(), u"中文");
}

TEST(ReaderCodePage, UnknownCodePagesAndBytesStillRead) {
    EXPECT_EQ(readRtf("{\\rtf1\\ansi\\ansicpg99999 \\'e9}").joined(), u"\u00E9");
    EXPECT_EQ(readRtf("{\\rtf1\\ansi\\ansicpg-5 \\'e9}").joined(), u"\u00E9");
    EXPECT_EQ(readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0\\cpg0\\fcharset250 X;}}\\f0\\'e9}").joined(),
              u"\u00E9");
    // 0x81 is not defined in Windows-1252.
    EXPECT_EQ(bodyText("a\\'81b"), u"a\uFFFDb");
}

TEST(ReaderDestinations, TablesAndSideTextNeverReachTheBody) {
    const char* doc =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial{\\*\\falt Helvetica};}}"
        "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}{\\s1 heading 1;}}"
        "{\\info{\\title T}{\\author A}{\\company C}}{\\*\\generator Gen;}"
        "{\\header head}{\\footer foot}{\\headerl hl}{\\footerr fr}"
        "body{\\footnote\\ftnalt note}{\\*\\atnid X}{\\*\\annotation comment}"
        "{\\*\\unknownthing secret}{\\*\\rsidtbl \\rsid1}{\\pict\\pngblip 89504e47}"
        "{\\*\\bkmkstart b}end}";
    // An endnote shows as its number.
    EXPECT_EQ(readRtf(doc).joined(), u"bodyiend");
}

TEST(ReaderDestinations, FieldsShowTheirResult) {
    EXPECT_EQ(bodyText("see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}} now"),
              u"see link now");
    EXPECT_EQ(bodyText("{\\field{\\*\\fldinst{ PAGE }}{\\fldrslt{\\b 3}}}"), u"3");
}

TEST(ReaderDestinations, BinaryDataIsSkippedByCount) {
    // The binary bytes hold braces and a backslash that must not count.
    EXPECT_EQ(bodyText("a{\\*\\blipuid x\\bin6 }{\\x\\}b}c"), u"ac");
    EXPECT_EQ(bodyText("a{\\pict\\bin4 {{{{}b"), u"ab");
}

TEST(ReaderDestinations, ATextBoxIsOneObjectAndItsFallbackNoText) {
    const auto sink =
        readRtf("{\\rtf1{\\shp{\\*\\shpinst{\\sp{\\sn name}{\\sv v}}{\\shptxt boxed}}}"
                "{\\shprslt fallback}}");
    ASSERT_EQ(sink.pictures.size(), 1u);
    EXPECT_EQ(sink.pictures[0].data, "boxed");
    EXPECT_EQ(sink.joined(), u"");
}

TEST(ReaderCharacterFormat, EveryControlAndItsZeroForm) {
    const auto sink =
        readRtf("{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;"
                "\\red0\\green0\\blue255;}"
                "\\b b\\b0\\i i\\i0\\ul u\\ul0 -\\uldb d\\ulnone -\\ulwave w\\ul0 -"
                "\\strike s\\strike0\\cf1 c\\cf0\\cb2 k\\cb0\\highlight2 h\\highlight0"
                "\\super p\\super0\\sub q\\sub0\\super r\\nosupersub n}");
    EXPECT_TRUE(formatOf(sink, "b").bold);
    EXPECT_TRUE(formatOf(sink, "i").italic);
    EXPECT_TRUE(formatOf(sink, "u").underline);
    EXPECT_TRUE(formatOf(sink, "d").underline);
    EXPECT_TRUE(formatOf(sink, "w").underline);
    EXPECT_TRUE(formatOf(sink, "s").strike);
    EXPECT_EQ(formatOf(sink, "c").color, qRgb(255, 0, 0));
    EXPECT_EQ(formatOf(sink, "k").background, qRgb(0, 0, 255));
    EXPECT_EQ(formatOf(sink, "h").background, qRgb(0, 0, 255));
    EXPECT_EQ(formatOf(sink, "p").position, VerticalPosition::Super);
    EXPECT_EQ(formatOf(sink, "q").position, VerticalPosition::Sub);
    EXPECT_EQ(formatOf(sink, "r").position, VerticalPosition::Super);
    // Every zero form switched its property off again.
    const rtf::RunFormat plain = formatOf(sink, "n");
    rtf::RunFormat expected;
    expected.family = plain.family;
    expected.points = 12;
    EXPECT_EQ(plain, expected);
    EXPECT_FALSE(plain.color.has_value()); // \cf0 is the empty "auto" entry
}

TEST(ReaderCharacterFormat, FontsSizesAndPlain) {
    const auto sink = readRtf("{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0 Courier New;}"
                              "{\\f1\\fswiss\\fcharset0 Arial;}}"
                              "default\\f0\\fs21 small{\\b\\fs48 big}back\\plain plain}");
    EXPECT_EQ(formatOf(sink, "default").family, u"Arial");
    EXPECT_EQ(formatOf(sink, "default").points, 12);
    EXPECT_EQ(formatOf(sink, "small").family, u"Courier New");
    EXPECT_EQ(formatOf(sink, "small").points, 10.5);
    EXPECT_EQ(formatOf(sink, "big").points, 24);
    EXPECT_TRUE(formatOf(sink, "big").bold);
    EXPECT_EQ(formatOf(sink, "back").points, 10.5);
    EXPECT_FALSE(formatOf(sink, "back").bold);
    EXPECT_EQ(formatOf(sink, "plain").family, u"Arial");
    EXPECT_EQ(formatOf(sink, "plain").points, 12);
}

// After \dbch an \f names the font of East Asian text: other text keeps
// its font, though the bytes still decode in the new font's character set.
TEST(ReaderCharacterFormat, FontAfterDbchIsForEastAsianTextAlone) {
    const std::string header = "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0 Courier New;}{\\f1 Arial;}"
                               "{\\f2\\fcharset128 MS Mincho;}}";
    auto sink = readRtf(header +
                        "\\dbch\\f2 \\'84\\'4d\\'84\\'81\\par"
                        "\\loch\\f0\\dbch\\f2 Latin \\'93\\'fa\\'96\\'7b, mixed\\par"
                        "\\dbch\\f2\\loch\\f0 loch\\hich\\f1  hich\\dbch\\f2\\plain\\f0  plain\\par"
                        "{\\dbch{\\f0 inner}\\f2  after}\\par}");
    ASSERT_EQ(sink.paragraphs.size(), 4u);
    EXPECT_EQ(sink.paragraphs[0].text(), u"Мп");
    const std::pair<const char*, const char*> expected[] = {
        {"Мп", "Arial"},
        {"Latin ", "Courier New"},
        {"日本, ", "MS Mincho"},
        {"mixed", "Courier New"},
        {"loch", "Courier New"},
        {" hich", "Arial"},
        {" plain", "Courier New"},
        // A group's bounds end \\dbch, as they do for LibreOffice.
        {"inner", "Courier New"},
        {" after", "MS Mincho"}};
    for (const auto& [text, family] : expected)
        EXPECT_EQ(formatOf(sink, QString::fromUtf8(text)).family, QString::fromUtf8(family))
            << text;
}

TEST(ReaderCharacterFormat, ColourIndexOutsideTheTableHasNoColour) {
    const auto sink = readRtf("{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}\\cf7 x\\cf1 y}");
    EXPECT_FALSE(formatOf(sink, "x").color.has_value());
    EXPECT_EQ(formatOf(sink, "y").color, qRgb(1, 2, 3));
}

// Line spacing as Word writes it, and tab stops in position order with their
// kind and leader; \pard clears both.
TEST(ReaderParagraphFormat, LineSpacingAndTabStops) {
    const auto sink =
        readRtf("{\\rtf1\\ansi\\sl360\\slmult1\\tqr\\tldot\\tx9000\\tx1440\\tqc\\tx4320 a\\par"
                "\\pard\\sl240\\slmult1 b\\par\\pard\\sl-300\\slmult0 c\\par\\pard\\sl280 d\\par"
                "\\pard\\tqdec\\tlhyph\\tx100\\tx100 e\\par\\pard\\sl1\\slmult1 f\\par}");
    ASSERT_EQ(sink.paragraphs.size(), 6u);
    using rtf::LineRule;
    using rtf::TabKind;
    using rtf::TabLeader;
    EXPECT_EQ(sink.paragraphs[0].format.line, (rtf::LineSpacing{LineRule::Proportional, 150}));
    EXPECT_EQ(sink.paragraphs[0].format.tabs,
              (std::vector<rtf::TabStop>{{1440, TabKind::Left, TabLeader::None},
                                         {4320, TabKind::Center, TabLeader::None},
                                         {9000, TabKind::Right, TabLeader::Dot}}));
    EXPECT_EQ(sink.paragraphs[1].format.line, rtf::LineSpacing{}) << "240 at one line is single";
    EXPECT_TRUE(sink.paragraphs[1].format.tabs.empty());
    EXPECT_EQ(sink.paragraphs[2].format.line, (rtf::LineSpacing{LineRule::Exact, 300}));
    EXPECT_EQ(sink.paragraphs[3].format.line, (rtf::LineSpacing{LineRule::AtLeast, 280}));
    EXPECT_EQ(sink.paragraphs[4].format.tabs,
              (std::vector<rtf::TabStop>{{100, TabKind::Left, TabLeader::None}}))
        << "a second stop at a position replaces the first";
    EXPECT_EQ(sink.paragraphs[5].format.line, (rtf::LineSpacing{LineRule::Proportional, 1}))
        << "0 % would be saved as \\sl0, single spacing";
}

TEST(ReaderParagraphFormat, AlignmentIndentsSpacingAndPard) {
    const auto sink = readRtf("{\\rtf1\\ansi\\qc\\li720\\ri360\\fi-360\\sb120\\sa240 one\\par "
                              "two\\par\\pard\\qr three\\par\\pard\\qj four\\par\\ql five}");
    ASSERT_EQ(sink.paragraphs.size(), 5u);
    rtf::ParagraphFormat first;
    first.alignment = Alignment::Center;
    first.leftIndent = 720;
    first.rightIndent = 360;
    first.firstIndent = -360;
    first.spaceBefore = 120;
    first.spaceAfter = 240;
    EXPECT_EQ(sink.paragraphs[0].format, first);
    EXPECT_EQ(sink.paragraphs[1].format, first); // kept until \pard
    rtf::ParagraphFormat right;
    right.alignment = Alignment::Right;
    EXPECT_EQ(sink.paragraphs[2].format, right);
    EXPECT_EQ(sink.paragraphs[3].format.alignment, Alignment::Justify);
    EXPECT_EQ(sink.paragraphs[4].format, rtf::ParagraphFormat{});
}

TEST(ReaderParagraphFormat, StartAndEndIndentsFollowTheParagraphsDirection) {
    const auto sink = readRtf("{\\rtf1\\pard\\rtlpar\\li100\\ri200\\lin200\\rin100 x\\par"
                              "\\pard\\rtlpar\\li100 y\\par\\pard\\lin300\\rin50 z}");
    ASSERT_EQ(sink.paragraphs.size(), 3u);
    EXPECT_TRUE(sink.paragraphs[0].format.rightToLeft);
    EXPECT_EQ(sink.paragraphs[0].format.leftIndent, 100);
    EXPECT_EQ(sink.paragraphs[0].format.rightIndent, 200);
    EXPECT_EQ(sink.paragraphs[1].format.leftIndent, 100) << "\\li is the left side";
    EXPECT_FALSE(sink.paragraphs[2].format.rightToLeft);
    EXPECT_EQ(sink.paragraphs[2].format.leftIndent, 300);
    EXPECT_EQ(sink.paragraphs[2].format.rightIndent, 50);
}

TEST(ReaderParagraphFormat, GroupClosedBeforeTheParKeepsItsFormat) {
    const auto sink = readRtf("{\\rtf1{\\pard\\qc Title}\\par Body\\par{\\pard\\qr\\ls0 last}}");
    ASSERT_EQ(sink.paragraphs.size(), 3u);
    EXPECT_EQ(sink.paragraphs[0].format.alignment, Alignment::Center);
    EXPECT_EQ(sink.paragraphs[1].format.alignment, Alignment::Left);
    EXPECT_EQ(sink.paragraphs[2].format.alignment, Alignment::Right);

    // Paragraph words after that group are the paragraph's: LibreOffice and
    // Word centre the cell, and the text of a group of its own.
    const auto later = readRtf("{\\rtf1\\trowd\\cellx1000\\pard\\intbl{\\b N}{\\qc\\li0 \\cell}"
                               "{\\row}\\pard{\\b M}\\qr\\par}");
    ASSERT_EQ(later.paragraphs.size(), 2u);
    EXPECT_EQ(later.paragraphs[0].format.alignment, Alignment::Center);
    EXPECT_EQ(later.paragraphs[1].format.alignment, Alignment::Right);
}

TEST(ReaderParagraphFormat, EmptyParagraphKeepsItsMarkFormat) {
    const auto sink = readRtf("{\\rtf1 a\\par\\b\\fs40\\par}");
    ASSERT_EQ(sink.paragraphs.size(), 2u);
    EXPECT_TRUE(sink.paragraphs[1].runs.empty());
    EXPECT_TRUE(sink.paragraphs[1].mark.bold);
    EXPECT_EQ(sink.paragraphs[1].mark.points, 20);
}

TEST(ReaderParagraphFormat, TableCellsReadAsParagraphsInOrder) {
    EXPECT_EQ(bodyText("\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row "
                       "\\pard after\\par"),
              u"A|B|after");
}

TEST(ReaderLists, LegacyPnWithoutDoubleMarkers) {
    const auto sink =
        readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
                "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent360{\\pntxtb\\'b7}}"
                "\\fi-360\\li720 bullet\\par"
                "\\pard{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1{\\pntxta .}}one\\par"
                "\\pard{\\pntext a)\\tab}{\\*\\pn\\pnlvlbody\\pnlcltr{\\pntxta )}}alpha\\par"
                "\\pard{\\pntext\\tab}{\\*\\pn\\pnlvl3\\pnucrm}roman\\par"
                "\\pard plain\\par}");
    ASSERT_EQ(sink.paragraphs.size(), 5u);
    EXPECT_EQ(sink.joined(), u"bullet|one|alpha|roman|plain");
    EXPECT_EQ(sink.paragraphs[0].format.list, ListKind::Bullet);
    EXPECT_EQ(sink.paragraphs[0].format.leftIndent, 720);
    EXPECT_EQ(sink.paragraphs[1].format.list, ListKind::Decimal);
    EXPECT_EQ(sink.paragraphs[2].format.list, ListKind::LowerAlpha);
    EXPECT_EQ(sink.paragraphs[3].format.list, ListKind::UpperRoman);
    EXPECT_EQ(sink.paragraphs[3].format.listLevel, 2);
    EXPECT_EQ(sink.paragraphs[4].format.list, ListKind::None);
}

TEST(ReaderLists, WordListTablesWithoutDoubleMarkers) {
    const auto sink =
        readRtf("{\\rtf1\\ansi{\\*\\listtable"
                "{\\list\\listtemplateid1{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}"
                "{\\levelnumbers;}}{\\listlevel\\levelnfc0{\\leveltext\\'02\\'01.;}"
                "{\\levelnumbers\\'01;}}\\listid100}"
                "{\\list{\\listlevel\\levelnfc4{\\leveltext\\'02\\'00);}}\\listid200}}"
                "{\\*\\listoverridetable{\\listoverride\\listid100\\listoverridecount0\\ls1}"
                "{\\listoverride\\listid200\\listoverridecount0\\ls2}}"
                "{\\listtext\\'95\\tab}\\ls1\\ilvl0 dot\\par"
                "{\\listtext 1.\\tab}\\ilvl1 sub\\par"
                "\\pard{\\listtext a)\\tab}\\ls2 letter\\par"
                "\\pard{\\listtext X\\tab}\\ls1\\ilvl12 deep\\par\\pard none\\par}");
    ASSERT_EQ(sink.paragraphs.size(), 5u);
    EXPECT_EQ(sink.joined(), u"dot|sub|letter|deep|none");
    EXPECT_EQ(sink.paragraphs[0].format.list, ListKind::Bullet);
    EXPECT_EQ(sink.paragraphs[1].format.list, ListKind::Decimal);
    EXPECT_EQ(sink.paragraphs[1].format.listLevel, 1);
    EXPECT_EQ(sink.paragraphs[2].format.list, ListKind::LowerAlpha);
    // Levels beyond the list's own show as its last level.
    EXPECT_EQ(sink.paragraphs[3].format.list, ListKind::Decimal);
    EXPECT_EQ(sink.paragraphs[4].format.list, ListKind::None);
}

TEST(ReaderLists, ListTableWinsOverLegacyPn) {
    const auto sink =
        readRtf("{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc2}\\listid7}}"
                "{\\*\\listoverridetable{\\listoverride\\listid7\\ls3}}"
                "{\\listtext i.\\tab}\\ls3{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}roman\\par}");
    ASSERT_EQ(sink.paragraphs.size(), 1u);
    EXPECT_EQ(sink.paragraphs[0].text(), u"roman");
    EXPECT_EQ(sink.paragraphs[0].format.list, ListKind::LowerRoman);
}
