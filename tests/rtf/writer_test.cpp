#include "components/rtf/documentdump.h"
#include "components/rtf/documentfile.h"
#include "components/rtf/qtsink.h"
#include "components/rtf/units.h"
#include "tests/rtf/testfile.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <QTextListFormat>
#include <gtest/gtest.h>

namespace {

// A document as the surface holds one: Arial 9 pt is the design font.
class WriterTest : public ::testing::Test {
protected:
    WriterTest() { document.setDefaultFont(QFont(QStringLiteral("Arial"), 9)); }

    QByteArray save() const { return rtf::saveBytes(document); }
    QByteArray roundTripDump() const {
        QTextDocument copy;
        copy.setDefaultFont(document.defaultFont());
        rtf::loadBytes(copy, save());
        return rtf::dumpDocument(copy);
    }
    void type(const QString& text, const QTextCharFormat& format = {}) {
        QTextCursor cursor(&document);
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text, format);
    }

    QTextDocument document;
};

QByteArray body(const QByteArray& rtf) {
    // What comes after the header tables.
    const qsizetype start = rtf.indexOf("\\pard");
    return start < 0 ? QByteArray() : rtf.mid(start);
}

} // namespace

TEST_F(WriterTest, HeaderAndTablesOfWhatIsUsed) {
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    red.setFontFamilies({QStringLiteral("Courier New")});
    type(QStringLiteral("plain "));
    type(QStringLiteral("red"), red);
    const QByteArray rtf = save();
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
                             "{\\f1\\fnil\\fcharset0 Courier New;}}"));
    EXPECT_TRUE(rtf.contains("{\\colortbl;\\red255\\green0\\blue0;}"));
    EXPECT_FALSE(rtf.contains("listtable"));
    EXPECT_TRUE(rtf.trimmed().endsWith("}"));
}

TEST_F(WriterTest, CharactersOutsideAscii) {
    type(QString::fromUtf8("caf\u00e9 \u20ac \u0416 \U0001F60A {\\}\t\u00a0"));
    const QByteArray text = body(save());
    EXPECT_TRUE(text.contains("caf\\'e9 \\'80 \\u1046? \\u-10179?\\u-8694? \\{\\\\\\}\\tab\\~"))
        << text.constData();
    for (char c : save())
        EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}

TEST_F(WriterTest, LinesStayShort) {
    type(QString(5000, QLatin1Char('x')) + QStringLiteral(" words ").repeated(500) +
         QString(3000, QChar(0x416)));
    for (const QByteArray& line : save().split('\n'))
        EXPECT_LE(line.size(), 260);
}

TEST_F(WriterTest, EveryFormatSurvivesTheRoundTrip) {
    QTextCharFormat format;
    format.setFontFamilies({QStringLiteral("Times New Roman")});
    format.setFontPointSize(10.5);
    format.setFontWeight(QFont::Bold);
    format.setFontItalic(true);
    format.setFontUnderline(true);
    format.setFontStrikeOut(true);
    format.setForeground(QColor(0x12, 0x34, 0x56));
    format.setBackground(QColor(255, 255, 0));
    format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    type(QStringLiteral("all"), format);
    QTextCharFormat sub;
    sub.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    type(QStringLiteral("sub"), sub);
    QTextCursor cursor(&document);
    QTextBlockFormat block;
    block.setAlignment(Qt::AlignHCenter);
    block.setLeftMargin(rtf::units::pixelsFromTwips(720));
    block.setRightMargin(rtf::units::pixelsFromTwips(360));
    block.setTextIndent(rtf::units::pixelsFromTwips(-360));
    block.setTopMargin(rtf::units::pixelsFromTwips(120));
    block.setBottomMargin(rtf::units::pixelsFromTwips(240));
    cursor.setBlockFormat(block);
    for (Qt::Alignment align : {Qt::AlignRight, Qt::AlignJustify, Qt::AlignLeft}) {
        cursor.movePosition(QTextCursor::End);
        QTextBlockFormat next;
        next.setAlignment(align);
        cursor.insertBlock(next);
        cursor.insertText(QStringLiteral("aligned"));
    }
    const QByteArray rtf = save();
    EXPECT_TRUE(rtf.contains("\\fs21\\b\\i\\ul\\strike\\cf1\\highlight2\\super"))
        << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\pard\\qc\\li720\\ri360\\fi-360\\sb120\\sa240"));
    EXPECT_EQ(roundTripDump(), rtf::dumpDocument(document));
}

TEST_F(WriterTest, ListsForEveryReader) {
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("intro"));
    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    cursor.insertBlock();
    cursor.createList(bullets);
    cursor.insertText(QStringLiteral("dot"));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("dot two"));
    QTextListFormat numbers;
    numbers.setStyle(QTextListFormat::ListLowerRoman);
    numbers.setIndent(2);
    cursor.insertBlock();
    cursor.createList(numbers);
    cursor.insertText(QStringLiteral("roman"));
    const QByteArray rtf = save();
    EXPECT_TRUE(rtf.contains("{\\*\\listtable"));
    EXPECT_TRUE(rtf.contains("{\\*\\listoverridetable{\\listoverride\\listid1"
                             "\\listoverridecount0\\ls1}{\\listoverride\\listid2"
                             "\\listoverridecount0\\ls2}}"));
    EXPECT_TRUE(rtf.contains("\\ls1\\ilvl0{\\listtext\\'95\\tab}"));
    EXPECT_TRUE(rtf.contains("\\ls2\\ilvl1{\\listtext i.\\tab}"));
    EXPECT_EQ(rtf.count("{\\listtext"), 3);
    // An older \pn group beside \ls makes LibreOffice read numbers as bullets.
    EXPECT_FALSE(rtf.contains("\\pn"));
    EXPECT_EQ(roundTripDump(), rtf::dumpDocument(document));
    QTextDocument again;
    rtf::loadBytes(again, rtf);
    EXPECT_EQ(rtf::documentText(again), u"intro\r\ndot\r\ndot two\r\nroman");
}

// After the first run a run writes only what changed; a superscript ends with
// \nosupersub, which every reader takes as the end of the raised text alone.
TEST_F(WriterTest, RunsWriteOnlyTheFormatsThatChange) {
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat superscript;
    superscript.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    type(QStringLiteral("E = mc"));
    type(QStringLiteral("2"), superscript);
    type(QStringLiteral(" and "));
    type(QStringLiteral("bold"), bold);
    type(QStringLiteral(" plain"));
    const QByteArray rtf = save();
    EXPECT_EQ(rtf.count("\\plain"), 1) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\super 2\\nosupersub  and \\b bold\\b0  plain")) << rtf.constData();
    EXPECT_EQ(roundTripDump(), rtf::dumpDocument(document));
}

TEST_F(WriterTest, LineSpacingAndTabStopsAreWrittenAndReadBack) {
    rtf::ParagraphFormat first;
    first.line = {rtf::LineRule::Proportional, 150};
    first.tabs = {{1440, rtf::TabKind::Left, rtf::TabLeader::None},
                  {9000, rtf::TabKind::Right, rtf::TabLeader::Dot}};
    rtf::ParagraphFormat second;
    second.line = {rtf::LineRule::Exact, 300};
    second.tabs = {{4320, rtf::TabKind::Decimal, rtf::TabLeader::Hyphen}};
    QTextCursor cursor(&document);
    cursor.setBlockFormat(rtf::toBlockFormat(first));
    cursor.insertText(QStringLiteral("Name\tPage"));
    cursor.insertBlock(rtf::toBlockFormat(second));
    cursor.insertText(QStringLiteral("\t3.14"));
    const QByteArray rtf = save();
    EXPECT_TRUE(rtf.contains("\\sl360\\slmult1\\tx1440\\tqr\\tldot\\tx9000")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\sl-300\\slmult0\\tqdec\\tlhyph\\tx4320")) << rtf.constData();
    EXPECT_EQ(roundTripDump(), rtf::dumpDocument(document));
    EXPECT_TRUE(rtf::dumpDocument(document).contains("\"leader\": \"dot\""));
}

// Underline styles, capitals, spacing and raised text come back as the file
// had them; a font the table lacks reads as the default font.
TEST_F(WriterTest, TypographyIsReadShownAndWrittenBack) {
    rtf::loadBytes(document,
                   "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f1 Courier New;}}\\pard "
                   "{\\uldb double}{\\ulwave wave}{\\uld dotted}{\\ulw words}{\\caps caps}"
                   "{\\scaps small}{\\expndtw20 wide}{\\up6 up}{\\dn4 down}{\\f9 nofont}\\par}");
    const QByteArray rtf = save();
    for (const char* word :
         {"\\uldb double", "\\ulwave wave", "\\uld dotted", "\\ulw words", "\\caps caps",
          "\\scaps small", "\\expndtw20 wide", "\\up6 up", "\\dn4 down"})
        EXPECT_TRUE(rtf.contains(word)) << word << "\n" << rtf.constData();
    EXPECT_EQ(rtf.count("\\f0"), 1) << "one font for all the text: " << rtf.constData();
    EXPECT_TRUE(rtf.contains("Courier New;"));
    QTextCursor at(&document);
    at.setPosition(1);
    EXPECT_EQ(at.charFormat().underlineStyle(), QTextCharFormat::SingleUnderline)
        << "double draws as single";
    at.setPosition(QStringLiteral("double w").size());
    EXPECT_EQ(at.charFormat().underlineStyle(), QTextCharFormat::WaveUnderline);
    EXPECT_EQ(roundTripDump(), rtf::dumpDocument(document));
    QTextDocument again;
    again.setDefaultFont(document.defaultFont());
    rtf::loadBytes(again, rtf);
    EXPECT_EQ(rtf::saveBytes(again), rtf);
}

TEST_F(WriterTest, DeterministicAndIdempotent) {
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setForeground(QColor(0, 128, 0));
    type(QStringLiteral("one "), bold);
    type(QStringLiteral("two\u2028three"));
    QTextCursor(&document).insertBlock();
    const QByteArray first = save();
    EXPECT_EQ(save(), first);
    QTextDocument loaded;
    loaded.setDefaultFont(document.defaultFont());
    rtf::loadBytes(loaded, first);
    EXPECT_EQ(rtf::saveBytes(loaded), first);
}

TEST_F(WriterTest, OddFontNamesReadBackAsTheyWereWritten) {
    // Control bytes, a leading space, and characters the writer escapes as
    // control symbols (\~ \- \_) inside a font name.
    const QByteArray odd = "{\\rtf1{\\fonttbl{\\f0 \x05 Lucida\\~G\\-x\\_y;}}\\f0 text\\par}";
    QTextDocument loaded;
    rtf::loadBytes(loaded, odd);
    const QByteArray first = rtf::saveBytes(loaded);
    QTextDocument again;
    rtf::loadBytes(again, first);
    EXPECT_EQ(rtf::saveBytes(again), first);
    EXPECT_TRUE(first.contains("Lucida\\~G\\-x\\_y;")) << first.constData();
}

// A file without \deff, or whose \deff the table lacks, leaves the font of
// text that names none to each reader, as LibreOffice reads it; saved, it
// still does, while its named fonts stay named. A new document's text is
// written in the design font.
TEST_F(WriterTest, TextThatNamesNoFontStaysUnnamed) {
    const QByteArray files[] = {
        "{\\rtf1\\ansi{\\fonttbl{\\f1 Courier New;}}\\pard plain {\\f1 fixed} Arial\\par}",
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f1 Courier New;}}\\pard plain {\\f1 fixed} Arial\\par}",
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}{\\f1 Courier New;}}\\pard plain "
        "{\\f1 fixed} Arial {\\f0 Times New Roman}\\par}",
    };
    for (const QByteArray& file : files) {
        SCOPED_TRACE(file.constData());
        QTextDocument loaded;
        loaded.setDefaultFont(document.defaultFont());
        rtf::loadBytes(loaded, file);
        const QByteArray saved = rtf::saveBytes(loaded);
        EXPECT_TRUE(saved.contains("\\fnil\\fcharset0 Courier New;}")) << saved.constData();
        EXPECT_EQ(saved.contains("Times New Roman;"), file.contains("Times New Roman;"));
        EXPECT_FALSE(saved.contains("Arial;")) << saved.constData();
        // A \deff the table lacks would name a font "0" in LibreOffice.
        EXPECT_FALSE(saved.contains("\\deff")) << saved.constData();
        EXPECT_TRUE(saved.contains("\\pard\\plain\\fs24 plain")) << saved.constData();
        QTextDocument again;
        again.setDefaultFont(document.defaultFont());
        rtf::loadBytes(again, saved);
        EXPECT_EQ(rtf::saveBytes(again), saved);
        EXPECT_EQ(rtf::dumpDocument(again), rtf::dumpDocument(loaded));
    }

    type(QStringLiteral("typed"));
    EXPECT_TRUE(save().contains("{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}"));
    // Loading replaces the document, and with it what the last file said.
    QTextDocument loaded;
    rtf::loadBytes(loaded, files[0]);
    rtf::loadBytes(loaded, save());
    EXPECT_TRUE(rtf::saveBytes(loaded).contains("Arial;"));
}

TEST_F(WriterTest, EmptyDocumentAndEmptyParagraphs) {
    EXPECT_EQ(roundTripDump(), rtf::dumpDocument(document));
    QTextCharFormat big;
    big.setFontPointSize(20);
    QTextCursor cursor(&document);
    cursor.insertBlock(QTextBlockFormat{}, big);
    cursor.insertBlock();
    EXPECT_EQ(document.blockCount(), 3);
    EXPECT_EQ(roundTripDump(), rtf::dumpDocument(document));
}

// RTF's \ql and \qr are the page's sides in a right-to-left paragraph too, as
// Word and WordPad show them; Qt on its own would swap them.
TEST_F(WriterTest, RightToLeftParagraphsKeepTheirDirectionAndTheirSides) {
    QTextOption option = document.defaultTextOption();
    option.setTextDirection(Qt::LeftToRight); // as the editor's surface has it
    document.setDefaultTextOption(option);
    rtf::loadBytes(document, "{\\rtf1\\ansi\\pard\\rtlpar\\qr \\u1513?\\u1500?\\u1493?\\u1501?\\par"
                             "\\rtlpar\\ql \\u1513?\\u1500?\\par"
                             "\\pard \\u1513?\\u1500?\\u1493?\\u1501?\\par"
                             "\\pard\\rtlpar\\ltrpar latin}");
    document.setTextWidth(400);
    ASSERT_GT(document.size().height(), 0); // laid out
    const QTextBlock right = document.begin();
    const QTextBlock left = right.next();
    const QTextBlock unmarked = left.next();
    EXPECT_EQ(right.textDirection(), Qt::RightToLeft);
    EXPECT_EQ(left.textDirection(), Qt::RightToLeft);
    EXPECT_EQ(unmarked.textDirection(), Qt::LeftToRight) << "no guessing from the letters";
    EXPECT_EQ(unmarked.next().textDirection(), Qt::LeftToRight) << "\\ltrpar ends it";
    // Where the text of a paragraph's first line begins on the left.
    auto leftEdge = [](const QTextBlock& block) {
        const QTextLine line = block.layout()->lineAt(0);
        return qMin(line.cursorToX(0), line.cursorToX(line.textLength()));
    };
    EXPECT_GT(leftEdge(right), 300);
    EXPECT_LT(leftEdge(left), 10);

    const QByteArray rtf = body(save());
    EXPECT_TRUE(rtf.startsWith("\\pard\\rtlpar\\qr")) << rtf.constData();
    EXPECT_EQ(rtf.count("\\rtlpar"), 2);
    EXPECT_EQ(roundTripDump(), rtf::dumpDocument(document));
    EXPECT_TRUE(rtf::dumpDocument(document).contains("\"direction\": \"rtl\""));
}

// The Symbol font's bytes are Greek letters and signs: shown as those
// characters (also when Word writes them at U+F000 plus the byte), written
// back as the same bytes in a font marked as symbols. A Latin letter typed
// into such text stays a Latin letter.
TEST(WriterSymbolFont, SymbolBytesReadAsTheirSignsAndGoBackAsBytes) {
    QTextDocument document;
    rtf::loadBytes(document,
                   "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
                   "\\pard A {\\f1 \\'b7 a\\'a5\\'d3} b {\\f1\\u-3913\\'b7} 1{\\f1 +2}\\par}");
    EXPECT_EQ(rtf::documentText(document), u"A \u2022 \u03B1\u221E\u00A9 b \u2022 1+2");
    QTextCursor cursor(&document);
    cursor.setPosition(3); // after the bullet, in the Symbol font
    cursor.insertText(QStringLiteral("x"));
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_TRUE(saved.contains("\\fcharset2 Symbol;")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\'b7\\u120? \\'61\\'a5\\'d3")) << saved.constData();
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::documentText(again), u"A \u2022x \u03B1\u221E\u00A9 b \u2022 1+2");
    EXPECT_EQ(rtf::saveBytes(again), saved);
}

// A run whose East Asian letters have a font of their own goes back with
// both: readers take the run's font for its other letters, and for the
// East Asian ones where they show the font it names them.
TEST(WriterEastAsianFont, ARunKeepsItsFontBesideItsEastAsianLettersFont) {
    const auto familyAt = [](const QTextDocument& document, int position) {
        QTextCursor cursor(const_cast<QTextDocument*>(&document));
        cursor.setPosition(position + 1);
        return cursor.charFormat().fontFamilies().toStringList().value(0);
    };
    QTextDocument document;
    rtf::loadBytes(document, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Calibri;}{\\f2 SimSun;}}"
                             "\\pard\\f1\\dbch\\f2\\loch ab\\u27979?\\u35797?cd\\plain e\\par}");
    EXPECT_EQ(familyAt(document, 0), u"Calibri");
    EXPECT_EQ(familyAt(document, 2), u"SimSun");
    const QByteArray saved = rtf::saveBytes(document);
    const QRegularExpression pair(QStringLiteral("\\\\dbch\\\\f(\\d+)\\\\loch\\\\f(\\d+)"));
    const QRegularExpressionMatch match = pair.match(QString::fromLatin1(saved));
    ASSERT_TRUE(match.hasMatch()) << saved.constData();
    EXPECT_NE(match.captured(1), match.captured(2));
    EXPECT_EQ(saved.count("\\dbch"), 1)
        << "the pieces of the run share the pair" << saved.constData();
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::dumpDocument(again), rtf::dumpDocument(document));
    EXPECT_EQ(rtf::saveBytes(again), saved);

    // Readers decode bytes in the font of the last \f: the run's own goes
    // last, so that its bullet written as a byte is no Symbol sign. Text in a
    // font the table lacks, which no \f can name after the East Asian one,
    // keeps its letters and loses that font (fuzz finds).
    for (const QByteArray& file :
         {QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
                     "\\pard\\f0\\dbch\\f1\\loch\\u8226?\\u27979? a\\par}"),
          QByteArray("{\\rtf1\\ansi\\deff3{\\fonttbl{\\f1\\fcharset2 Symbol;}}"
                     "\\pard\\dbch\\f1\\loch\\u8226?\\u27979? a\\par}")}) {
        QTextDocument symbols;
        rtf::loadBytes(symbols, file);
        QTextDocument symbolsAgain;
        rtf::loadBytes(symbolsAgain, rtf::saveBytes(symbols));
        EXPECT_EQ(rtf::documentText(symbolsAgain), rtf::documentText(symbols)) << file.constData();
        EXPECT_EQ(rtf::saveBytes(symbolsAgain), rtf::saveBytes(symbols)) << file.constData();
    }

    // A font chosen since is the text's own, East Asian letters or not.
    QTextCursor chosen(&document);
    chosen.setPosition(2);
    chosen.setPosition(4, QTextCursor::KeepAnchor);
    QTextCharFormat georgia;
    georgia.setFontFamilies({QStringLiteral("Georgia")});
    chosen.mergeCharFormat(georgia);
    QTextDocument edited;
    rtf::loadBytes(edited, rtf::saveBytes(document));
    EXPECT_EQ(familyAt(edited, 2), u"Georgia");
    EXPECT_EQ(familyAt(edited, 0), u"Calibri");
    EXPECT_EQ(familyAt(edited, 4), u"Calibri");
}

// Each level's bullet (disc, white bullet, square) and the text around its
// number show as the file defines them and go back in each list's
// \leveltext; a label with the numbers of the levels above it (1.1.) shows
// its own number with the text after it.
TEST(WriterLists, BulletsAndNumberLabelsOfEachLevelSurvive) {
    QTextDocument document;
    rtf::loadBytes(
        document,
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}{\\f2 Courier New;}"
        "{\\f3\\fcharset2 Wingdings;}}{\\*\\listtable{\\list\\listtemplateid1"
        "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}{\\levelnumbers;}\\f1}"
        "{\\listlevel\\levelnfc23{\\leveltext\\'01o;}{\\levelnumbers;}\\f2}"
        "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3929 ?;}{\\levelnumbers;}\\f3}\\listid1}"
        "{\\list\\listtemplateid2{\\listlevel\\levelnfc4{\\leveltext\\'03(\\'00);}"
        "{\\levelnumbers\\'02;}}{\\listlevel\\levelnfc0{\\leveltext\\'04\\'00.\\'01.;}"
        "{\\levelnumbers\\'01\\'03;}}\\listid2}}{\\*\\listoverridetable{\\listoverride\\listid1"
        "\\listoverridecount0\\ls1}{\\listoverride\\listid2\\listoverridecount0\\ls2}}"
        "\\pard\\ls1\\ilvl0 one\\par\\pard\\ls1\\ilvl1 two\\par\\pard\\ls1\\ilvl2 three\\par"
        "\\pard\\ls2\\ilvl0 alpha\\par\\pard\\ls2\\ilvl0 beta\\par\\pard\\ls2\\ilvl1 sub\\par}");
    const auto list = [&document](int paragraph) {
        return document.findBlockByNumber(paragraph).textList();
    };
    ASSERT_TRUE(list(0) && list(1) && list(2) && list(4) && list(5));
    EXPECT_EQ(list(0)->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(list(1)->format().style(), QTextListFormat::ListCircle);
    EXPECT_EQ(list(2)->format().style(), QTextListFormat::ListSquare);
    EXPECT_EQ(list(4)->itemText(document.findBlockByNumber(4)), u"(b)");
    // The second level shows the first's number as the first counts it.
    EXPECT_EQ(list(5)->itemText(document.findBlockByNumber(5)), u"b.1.");

    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_TRUE(saved.contains("{\\leveltext\\'01\\u9702?;}")) << saved.constData();
    EXPECT_TRUE(saved.contains("{\\leveltext\\'01\\u9642?;}")) << saved.constData();
    EXPECT_TRUE(saved.contains("{\\leveltext\\'03(\\'00);}{\\levelnumbers\\'02;}"))
        << saved.constData();
    EXPECT_TRUE(saved.contains("{\\leveltext\\'04\\'00.\\'01.;}{\\levelnumbers\\'01\\'03;}"))
        << saved.constData();
    EXPECT_TRUE(saved.contains("{\\listtext (b)\\tab}beta")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\ls2\\ilvl1{\\listtext b.1.\\tab}sub")) << saved.constData();
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::dumpDocument(again), rtf::dumpDocument(document));
    EXPECT_EQ(rtf::saveBytes(again), saved);
}

namespace {

// Word's list table with one numbered list of two levels, "%1." and "%1.%2.",
// the first level starting at the given number, around the body.
QByteArray withTwoLevelList(const char* body, int start = 1) {
    return QByteArray("{\\rtf1\\ansi{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0"
                      "\\levelstartat") +
           QByteArray::number(start) +
           "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}{\\listlevel\\levelnfc0"
           "{\\leveltext\\'04\\'00.\\'01.;}{\\levelnumbers\\'01\\'03;}}\\listid7}}"
           "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}" +
           body + "}";
}

// Read back and saved again, a saved file gives itself.
void expectSavedAgainTheSame(const QByteArray& saved) {
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::saveBytes(again), saved);
}

} // namespace

TEST(WriterLists, ItemsCountAsWordCountsThem) {
    // A lower level counts again under each item above it; the items of a
    // file's list count on across a paragraph outside it and a table, while a
    // list the file does not name ends at the first paragraph outside it.
    QTextDocument document;
    rtf::loadBytes(
        document,
        withTwoLevelList(
            "\\pard\\ls1 a\\par\\pard\\ls1\\ilvl1 b\\par\\pard\\ls1\\ilvl1 c\\par"
            "\\pard\\ls1 d\\par\\pard\\ls1\\ilvl1 e\\par\\pard plain\\par"
            "\\trowd\\cellx2000\\pard\\intbl\\ls1 f\\cell\\row"
            "\\pard\\ls1 g\\par\\pard{\\pntext 1.}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}h\\par"
            "\\pard plain\\par\\pard{\\*\\pn\\pnlvlbody\\pndec}i\\par"));
    // An older \\pn paragraph's number shows only the text it gives around it.
    const QStringList expected = {"1.", "1.1.", "1.2.", "2.", "2.1.", "",
                                  "3.", "4.",   "1.",   "",   "1"};
    EXPECT_EQ(listLabels(document), expected);

    // Saved and read back, the items number the same and the levels are one list.
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_TRUE(saved.contains("{\\leveltext\\'04\\'00.\\'01.;}{\\levelnumbers\\'01\\'03;}"))
        << saved.constData();
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(listLabels(again), expected);
    EXPECT_EQ(rtf::dumpDocument(again), rtf::dumpDocument(document));
    EXPECT_EQ(rtf::saveBytes(again), saved);
}

TEST(WriterLists, TheEditorsOwnListsStayApartAndCountAsTheyShow) {
    // Two lists alike, one after the other, count apart; an item taken out
    // of a list leaves the items after it counting on, as Qt numbers them.
    QTextDocument document;
    document.setPlainText(QStringLiteral("a\nb\nc\nd\ne\nf"));
    QTextListFormat decimal;
    decimal.setStyle(QTextListFormat::ListDecimal);
    const auto block = [&](int n) { return document.findBlockByNumber(n); };
    QTextList* first = QTextCursor(block(0)).createList(decimal);
    first->add(block(1));
    QTextList* second = QTextCursor(block(2)).createList(decimal);
    second->add(block(3));
    second->add(block(4));
    second->remove(block(3));
    const QStringList expected = {"1.", "2.", "1.", "", "2.", ""};
    ASSERT_EQ(listLabels(document), expected);

    const QByteArray saved = rtf::saveBytes(document);
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(listLabels(again), expected) << saved.constData();
    // The labels for readers without lists say the same.
    QStringList fallback;
    for (qsizetype at = saved.indexOf("{\\listtext "); at >= 0;
         at = saved.indexOf("{\\listtext ", at + 1))
        fallback << QString::fromLatin1(saved.mid(at + 11, saved.indexOf("\\tab", at) - at - 11));
    EXPECT_EQ(fallback, (QStringList{"1.", "2.", "1.", "2."}));
}

TEST(WriterLists, LabelsWithTheLevelsAboveFollowAnItemAddedOrTakenAway) {
    QTextDocument document;
    rtf::loadBytes(document, withTwoLevelList("\\pard\\ls1 a\\par\\pard\\ls1\\ilvl1 b\\par"
                                              "\\pard\\ls1 c\\par\\pard\\ls1\\ilvl1 d\\par"));
    ASSERT_EQ(listLabels(document), (QStringList{"1.", "1.1.", "2.", "2.1."}));
    EXPECT_FALSE(rtf::followListNumbering(document)) << "as read, nothing to follow";

    // An item added after the first, as Enter at its end adds it: the
    // sublists below count under the items above them now.
    QTextCursor cursor(document.findBlockByNumber(0));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertBlock();
    EXPECT_TRUE(rtf::followListNumbering(document));
    cursor.insertText(QStringLiteral("new"));
    const QStringList added = {"1.", "2.", "2.1.", "3.", "3.1."};
    EXPECT_EQ(listLabels(document), added);
    EXPECT_FALSE(rtf::followListNumbering(document));
    // What the saved file says, read back.
    QTextDocument saved;
    rtf::loadBytes(saved, rtf::saveBytes(document));
    EXPECT_EQ(listLabels(saved), added);

    // Undone, the item takes the labels it changed back with it.
    document.undo();
    document.undo();
    ASSERT_EQ(rtf::documentText(document), QStringLiteral("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(listLabels(document), (QStringList{"1.", "1.1.", "2.", "2.1."}));
    EXPECT_TRUE(document.isRedoAvailable());

    // The first item taken out of the list: the second counts as the first.
    QTextCursor(document.findBlockByNumber(0)).setBlockFormat(QTextBlockFormat());
    EXPECT_TRUE(rtf::followListNumbering(document));
    EXPECT_EQ(listLabels(document), (QStringList{"", "1.1.", "1.", "1.1."}));
    document.undo();

    // The second first-level item taken out: the points under both count on
    // as one run, as the saved file numbers them.
    QTextCursor(document.findBlockByNumber(2)).setBlockFormat(QTextBlockFormat());
    EXPECT_TRUE(rtf::followListNumbering(document));
    const QStringList merged = {"1.", "1.1.", "", "1.2."};
    EXPECT_EQ(listLabels(document), merged);
    EXPECT_EQ(document.findBlockByNumber(1).textList(), document.findBlockByNumber(3).textList());
    QTextDocument read;
    rtf::loadBytes(read, rtf::saveBytes(document));
    EXPECT_EQ(listLabels(read), merged);
    document.undo();
    ASSERT_EQ(listLabels(document), (QStringList{"1.", "1.1.", "2.", "2.1."}));

    // A first-level item put between two points of one Qt list (a paste can
    // put it there): the point after it counts apart, under it.
    cursor = QTextCursor(document.findBlockByNumber(1));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("b2"));
    cursor.movePosition(QTextCursor::PreviousBlock);
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("x"));
    document.findBlockByNumber(0).textList()->add(cursor.block());
    ASSERT_EQ(listLabels(document), (QStringList{"1.", "1.1.", "2.", "1.2.", "3.", "2.1."}));
    EXPECT_TRUE(rtf::followListNumbering(document));
    const QStringList split = {"1.", "1.1.", "2.", "2.1.", "3.", "3.1."};
    EXPECT_EQ(listLabels(document), split);
    EXPECT_FALSE(rtf::followListNumbering(document));
    rtf::loadBytes(read, rtf::saveBytes(document));
    EXPECT_EQ(listLabels(read), split);
}

TEST(WriterLists, ALevelWhoseNumberingChangesHalfWayKeepsBoth) {
    // A list table after the text may change a level that items above used.
    QTextDocument document;
    rtf::loadBytes(document,
                   withTwoLevelList("\\pard\\ls1 a\\par\\pard\\ls1\\ilvl1 b\\par"
                                    "{\\listtable{\\levelnfc1}}\\pard\\ls1\\ilvl1 c\\par"));
    EXPECT_EQ(listLabels(document), (QStringList{"1.", "1.1.", "1.I."}));
    const QByteArray saved = rtf::saveBytes(document);
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(listLabels(again), listLabels(document));
    EXPECT_EQ(rtf::saveBytes(again), saved);
}

TEST(WriterLists, AListWrittenAfreshKeepsItsNameAndWordsOnce) {
    // The level changes its numbering half way, so the items go into two
    // lists; Word would take two lists of one name for one. A name inside a
    // level is none of the list's.
    QTextDocument document;
    rtf::loadBytes(document,
                   "{\\rtf1\\ansi{\\*\\listtable{\\list\\listtemplateid1\\listhybrid{\\listlevel"
                   "\\levelnfc0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}{\\listname stray;}}"
                   "{\\listname Steps;}\\listid7}}{\\*\\listoverridetable{\\listoverride\\listid7"
                   "\\listoverridecount0\\ls1}}\\pard\\ls1 a\\par{\\listtable{\\levelnfc1}}"
                   "\\pard\\ls1 b\\par}");
    EXPECT_EQ(listLabels(document), (QStringList{"1.", "I."}));
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_EQ(saved.count("\\listname"), 1) << saved.toStdString();
    EXPECT_EQ(saved.count("\\listhybrid{\\listname Steps;}\\listid"), 1);
    EXPECT_EQ(saved.count("\\listoverride\\listid"), 2);
    expectSavedAgainTheSame(saved);
}

TEST(WriterLists, AnOverrideThatRestartsItsListStartsItsItemsThere) {
    // Word restarts a list with a second override of it: its items count
    // from the override's start, in a list of their own once saved.
    QTextDocument document;
    rtf::loadBytes(
        document,
        "{\\rtf1\\ansi{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0"
        "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid7}}{\\*\\listoverridetable"
        "{\\listoverride\\listid7\\listoverridecount0\\ls1}{\\listoverride\\listid7"
        "\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls2}}"
        "\\pard\\ls1 a\\par\\pard\\ls2 c\\par\\pard\\ls2 d\\par}");
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_TRUE(saved.contains("\\ls1\\ilvl0{\\listtext 1.\\tab}")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\ls2\\ilvl0{\\listtext 5.\\tab}")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\ls2\\ilvl0{\\listtext 6.\\tab}")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\levelstartat5{\\leveltext\\'02\\'00.;}"));
    expectSavedAgainTheSame(saved);
}

TEST(WriterLists, WhatALabelHoldsIsWrittenBackWhole) {
    // The first number is kept although the editor counts from 1.
    QTextDocument started;
    rtf::loadBytes(started, withTwoLevelList("\\pard\\ls1 a\\par", 7));
    EXPECT_TRUE(rtf::saveBytes(started).contains("\\levelstartat7{\\leveltext\\'02\\'00.;}"));

    // Text around the number as long as a level's text may be: shown whole,
    // and written whole, so that a second save is the first.
    const QString longPrefix(40, QLatin1Char('x'));
    QTextDocument document;
    rtf::loadBytes(document,
                   "{\\rtf1\\ansi{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'ff" +
                       longPrefix.toLatin1() + "\\'00" + QByteArray(40, 'y') +
                       ";}}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
                       "\\pard\\ls1 item\\par}");
    const QString shown = listLabels(document).value(0);
    EXPECT_TRUE(shown.startsWith(longPrefix + QLatin1Char('1'))) << shown.toStdString();
    const QByteArray saved = rtf::saveBytes(document);
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(listLabels(again).value(0), shown);
    EXPECT_EQ(rtf::saveBytes(again), saved);

    // A number format the editor shows as decimal (22: 01, 02), what follows
    // the label, and the level's other words in their order, but for font
    // numbers, which the saved file gives afresh, and text.
    QTextDocument worded;
    rtf::loadBytes(
        worded, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f2 Courier New;}}{\\*\\listtable{\\list"
                "{\\listlevel\\levelnfc22\\levelnfcn22\\leveljc1\\levelfollow2\\levellegal"
                "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\u8226?\\rtlch\\fcs1\\af2\\ltrch"
                "\\fcs0\\f2\\fs20\\b\\fi-360\\li720}\\listid9}}"
                "{\\*\\listoverridetable{\\listoverride\\listid9\\ls1}}"
                "\\pard\\ls1 one\\par\\pard\\ls1 two\\par}");
    QTextCursor(&worded).insertText(QStringLiteral("Item "));
    const QByteArray wordedSaved = rtf::saveBytes(worded);
    EXPECT_TRUE(wordedSaved.contains("{\\listlevel\\levelnfc22\\levelnfcn22\\levelfollow2"
                                     "\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers"
                                     "\\'01;}\\leveljc1\\levellegal\\rtlch\\fcs1\\ltrch\\fcs0"
                                     "\\fs20\\b\\fi-360\\li720}"))
        << wordedSaved.constData();
    EXPECT_TRUE(wordedSaved.contains("\\pard\\plain\\ls1\\ilvl0{\\listtext 1.}\\fs24 Item one"))
        << wordedSaved.constData();
    QTextDocument wordedAgain;
    rtf::loadBytes(wordedAgain, wordedSaved);
    EXPECT_EQ(rtf::saveBytes(wordedAgain), wordedSaved);
    // Made a bullet list, the level is no longer numbered 01.
    QTextCursor item(&wordedAgain);
    QTextListFormat bullets = item.currentList()->format();
    bullets.setStyle(QTextListFormat::ListDisc);
    item.currentList()->setFormat(bullets);
    const QByteArray bulletSaved = rtf::saveBytes(wordedAgain);
    EXPECT_TRUE(bulletSaved.contains("{\\listlevel\\levelnfc23\\levelnfcn23\\levelfollow2"))
        << bulletSaved.constData();
}

TEST(WriterLists, ItemsStateTheIndentsTheyStatedAndLevelsKeepTheirs) {
    // Readers weigh an item's stated indents against its level's: an item
    // that stated 0 must state it again, one that stated nothing must not.
    QTextDocument document;
    rtf::loadBytes(document, "{\\rtf1\\ansi{\\*\\listtable{\\list{\\listlevel\\levelnfc0"
                             "{\\leveltext\\'02\\'00.;}\\fi-2160\\li2520}\\listid1}}"
                             "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
                             "\\pard\\ls1\\rin0\\lin0 stated\\par\\pard\\li2520\\ls1 left only\\par"
                             "\\pard\\ls1 nothing\\par}");
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_TRUE(saved.contains("\\fi-2160\\li2520}")) << saved.constData();
    // Stated as \\lin, it stays \\lin: LibreOffice gives an item with \\li
    // but no \\fi no first-line indent, where the level's applies to this one.
    EXPECT_TRUE(saved.contains("\\pard\\lin0\\ri0\\plain\\ls1")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\pard\\li2520\\ls1")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\pard\\ls1")) << saved.constData();
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::saveBytes(again), saved);

    // A level without indents of its own stays without them.
    QTextDocument bare;
    rtf::loadBytes(bare, "{\\rtf1\\ansi{\\*\\listtable{\\list{\\listlevel\\levelnfc0"
                         "{\\leveltext\\'02\\'00.;}}\\listid1}}"
                         "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
                         "\\pard\\li720\\fi-720\\ls1 item\\par}");
    const QByteArray bareSaved = rtf::saveBytes(bare);
    EXPECT_TRUE(bareSaved.contains("{\\levelnumbers\\'01;}}")) << bareSaved.constData();
}

namespace {

// The list group of the saved file that its \lsN names, through the
// override of that number; empty if there is none.
QString listNamedBy(const QString& saved, int ls) {
    static const QRegularExpression override(
        QStringLiteral(R"(\{\\listoverride\\listid(\d+)((?:[^{}]|\{[^{}]*\})*)\})"));
    QString listId;
    for (const QRegularExpressionMatch& found : override.globalMatch(saved))
        if (found.captured(2).contains(
                QRegularExpression(QStringLiteral(R"(\\ls%1(?!\d))").arg(ls))))
            listId = found.captured(1);
    if (listId.isEmpty())
        return {};
    for (const QString& list : saved.split(QStringLiteral("{\\list\\")))
        if (list.contains(QRegularExpression(QStringLiteral(R"(\\listid%1\})").arg(listId))))
            return list;
    return {};
}

int lsAfter(const QString& saved, const QString& before) {
    const QRegularExpression word(QRegularExpression::escape(before) +
                                  QStringLiteral(R"(\\ls(\d+))"));
    return word.match(saved).captured(1).toInt();
}

} // namespace

TEST(WriterLists, ListsThatOnlyStylesHeadersOrNotesNameAreKeptWhole) {
    // The heading style numbers by a list no paragraph is an item of, the
    // header's item by another; a third list is unused. Written afresh, they
    // would be lost, and the style's \ls would name whatever list the writer
    // gave that number.
    QTextDocument document;
    rtf::loadBytes(
        document,
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f3 Wingdings;}}"
        "{\\stylesheet{\\s0 Normal;}{\\s1\\ls2\\ilvl0 heading 1;}}"
        "{\\*\\listtable"
        "{\\list\\listtemplateid11{\\listlevel\\levelnfc23{\\leveltext\\'01\\'95;}{\\levelnumbers;}"
        "\\fi-360\\li720}{\\listname Bullets;}\\listid100}"
        "{\\list\\listtemplateid1{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}"
        "{\\levelnumbers\\'01;}}{\\listname Headings;}\\listid200}"
        "{\\list\\listtemplateid13{\\listlevel\\levelnfc4{\\leveltext\\'02\\'00);}"
        "{\\levelnumbers\\'01;}\\f3}{\\listname Header;}\\listid300}"
        "{\\list\\listtemplateid14{\\listlevel\\levelnfc2{\\leveltext\\'02\\'00.;}"
        "{\\levelnumbers\\'01;}}{\\listname Spare;}\\listid400}}"
        "{\\*\\listoverridetable{\\listoverride\\listid100\\listoverridecount0\\ls1}"
        "{\\listoverride\\listid200\\listoverridecount1{\\lfolevel\\listoverridestartat"
        "\\levelstartat5}\\ls2}{\\listoverride\\listid300\\listoverridecount0\\ls3}}"
        "{\\header\\pard\\ls3 header item\\par}"
        "\\pard\\ls1 bullet\\par\\pard\\s1 Heading\\par}");
    QTextCursor(&document).insertText(QStringLiteral("A "));
    const QByteArray saved = rtf::saveBytes(document);
    const QString text = QString::fromLatin1(saved);
    // Each kept whole with what the editor does not read of it, and named
    // by its new number.
    const QString heading = listNamedBy(text, lsAfter(text, QStringLiteral("{\\s1")));
    EXPECT_TRUE(heading.contains(QStringLiteral("{\\listname Headings;}"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("{\\lfolevel\\listoverridestartat\\levelstartat5}")));
    const QString header = listNamedBy(text, lsAfter(text, QStringLiteral("{\\header\\pard")));
    EXPECT_TRUE(header.contains(QStringLiteral("{\\listname Header;}"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("{\\listname Spare;}")));
    // The bullet list is written afresh only, as the editor shows it, with
    // its name.
    EXPECT_EQ(text.count(QStringLiteral("Bullets")), 1);
    const QString bullets = listNamedBy(text, lsAfter(text, QStringLiteral("\n\\pard\\plain")));
    EXPECT_TRUE(bullets.contains(QStringLiteral("\\levelnfc23")));
    EXPECT_TRUE(bullets.contains(QStringLiteral("{\\listname Bullets;}")));
    // No two lists, templates or overrides share a number (the file's first
    // template has the number the writer gives its own first), and the kept
    // level's font is in the table.
    const auto expectApart = [&](const QString& pattern, qsizetype count) {
        QStringList numbers;
        for (const QRegularExpressionMatch& found : QRegularExpression(pattern).globalMatch(text))
            numbers << found.captured(1);
        EXPECT_EQ(numbers.size(), count);
        EXPECT_EQ(QSet<QString>(numbers.begin(), numbers.end()).size(), numbers.size())
            << numbers.join(QLatin1Char(' ')).toStdString();
    };
    expectApart(QStringLiteral(R"(\\listid(\d+)\})"), 4);
    expectApart(QStringLiteral(R"(\\ls(\d+)\})"), 3);
    expectApart(QStringLiteral(R"(\\listtemplateid(\d+))"), 4);
    const QString wingdings =
        QRegularExpression(QStringLiteral(R"(\{\\f(\d+)\\fnil\\fcharset\d+ Wingdings;\})"))
            .match(text)
            .captured(1);
    EXPECT_TRUE(!wingdings.isEmpty() && header.contains(QStringLiteral("\\f%1}").arg(wingdings)))
        << text.toStdString();
    expectSavedAgainTheSame(saved);

    // A list whose braces do not close before the override table: kept
    // whole with the override inside it, which is not kept once more on
    // every save.
    QTextDocument unbalanced;
    rtf::loadBytes(unbalanced, "{\\rtf1\\ansi{\\*\\listtable{\\list{\\listlevel\\levelnfc0"
                               "{\\leveltext\\'02\\'00.;}}\\listid5{\\*\\listoverridetable"
                               "{\\listoverride\\listid5\\ls4}}}}\\pard x\\par}");
    const QByteArray first = rtf::saveBytes(unbalanced);
    expectSavedAgainTheSame(first);
    EXPECT_EQ(first.count("{\\listoverride\\"), 1) << first.constData();
    // One that holds a font table is not kept: read again, that table would
    // replace the file's.
    QTextDocument holdingFonts;
    rtf::loadBytes(holdingFonts, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\listtable{\\list"
                                 "\\listid5{\\fonttbl{\\f0 Symbol;}}}}\\pard x\\par}");
    const QByteArray fonts = rtf::saveBytes(holdingFonts);
    EXPECT_FALSE(fonts.contains("listid")) << fonts.constData();
}
