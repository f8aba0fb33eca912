#include "components/rtf/documentdump.h"
#include "components/rtf/documentfile.h"
#include "components/rtf/keptrtf.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

// What the editor does not show (style sheet, info, page setup, headers and
// footers) is kept with the document and written back where it stood.

namespace {

const QByteArray kOriginal =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}{\\f2 Courier New;}}"
    "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
    "{\\*\\generator Writer 7;}"
    "{\\stylesheet{\\s0\\f1\\fs24 Normal;}{\\s1\\f2\\cf2\\b Heading 1;}}"
    "{\\info{\\title Quarterly report}{\\author Ann}}"
    "\\paperw11906\\paperh16838\\margl1134\\margr1134\\landscape\\deftab709"
    "\\sectd{\\header \\pard\\qc\\f2\\cf1 Company confidential\\par}"
    "{\\footerr \\pard\\qr\\f1 Page\\par}"
    "\\pard\\f0 Body text\\par}";

// The text of a font table entry that a written \fN names.
QString fontNamed(const QByteArray& rtf, int number) {
    const QRegularExpression entry(
        QStringLiteral("\\{\\\\f%1\\\\fnil\\\\fcharset0 ([^;]*);\\}").arg(number));
    // The writer may break a long line anywhere; RTF readers ignore line ends.
    return entry.match(QString::fromLatin1(rtf).remove(QStringLiteral("\r\n"))).captured(1);
}

// The text of what the document saves, read back.
QString textAfterASave(const QTextDocument& document) {
    QTextDocument again;
    rtf::loadBytes(again, rtf::saveBytes(document));
    return rtf::documentText(again);
}

TEST(KeptRtf, DocumentGroupsAndPageSetupSurviveAnEditAndASave) {
    QTextDocument document;
    rtf::loadBytes(document, kOriginal);
    EXPECT_EQ(rtf::documentText(document), u"Body text") << "headers and footers are not body text";
    QTextCursor(&document).insertText(QStringLiteral("New "));
    const QByteArray saved = rtf::saveBytes(document);

    for (const char* kept :
         {"{\\*\\generator Writer 7;}", "{\\info{\\title Quarterly report}{\\author Ann}}",
          "\\paperw11906 \\paperh16838 \\margl1134 \\margr1134 \\landscape \\deftab709 \\sectd "})
        EXPECT_TRUE(saved.contains(kept)) << kept << "\n" << saved.constData();
    // The groups name this file's fonts and colours, whatever numbers they get.
    const QRegularExpression header(QStringLiteral(
        "\\{\\\\header \\\\pard\\\\qc\\\\f(\\d+)\\\\cf(\\d+) Company confidential\\\\par\\}"));
    const QRegularExpressionMatch match = header.match(QString::fromLatin1(saved));
    ASSERT_TRUE(match.hasMatch()) << saved.constData();
    EXPECT_EQ(fontNamed(saved, match.captured(1).toInt()), QStringLiteral("Courier New"));
    EXPECT_TRUE(saved.contains("\\colortbl;") &&
                saved.contains(QStringLiteral("\\red255\\green0\\blue0;").toLatin1()));
    const QRegularExpression style(
        QStringLiteral("\\{\\\\s1\\\\f(\\d+)\\\\cf(\\d+)\\\\b Heading 1;\\}"));
    const QRegularExpressionMatch styleMatch = style.match(QString::fromLatin1(saved));
    ASSERT_TRUE(styleMatch.hasMatch()) << saved.constData();
    EXPECT_EQ(fontNamed(saved, styleMatch.captured(1).toInt()), QStringLiteral("Courier New"));
    EXPECT_TRUE(saved.contains("{\\footerr \\pard\\qr\\f"));
    // Kept groups stand before the body, after the tables.
    EXPECT_LT(saved.indexOf("{\\colortbl"), saved.indexOf("{\\stylesheet"));
    EXPECT_LT(saved.indexOf("{\\footerr"), saved.indexOf("New Body text"));

    // Read back and saved again: the same bytes, the same body.
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::documentText(again), u"New Body text");
    EXPECT_EQ(rtf::saveBytes(again), saved);
}

TEST(KeptRtf, OnlyTheDocumentsOwnGroupsAreKept) {
    QTextDocument document;
    // A document's group inside a paragraph's group, one after text of its
    // group, and the list text that the writer makes anew: none of them is
    // kept (the document's groups belong before the body).
    rtf::loadBytes(document,
                   "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard A {\\b {\\*\\generator inner;}bold}"
                   "{x\\stylesheet{\\s0 Normal;}}{\\listtext 1.\\tab}B\\par}");
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_FALSE(saved.contains("generator")) << saved.constData();
    EXPECT_FALSE(saved.contains("stylesheet")) << saved.constData();
    EXPECT_FALSE(saved.contains("listtext 1.")) << saved.constData();
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::documentText(again), rtf::documentText(document));
    // Loading another file replaces what was kept.
    rtf::loadBytes(document, kOriginal);
    rtf::loadBytes(document, "{\\rtf1 plain\\par}");
    EXPECT_TRUE(rtf::keptRtfOf(document).isEmpty());
    EXPECT_FALSE(rtf::saveBytes(document).contains("header"));
}

// Paragraph and character words the editor does not show stay with their
// paragraph or run: the style, keep with next, page break before, language.
// Hidden text is not shown but kept where it stood. A raised run is never
// followed straight by \plain.
TEST(KeptRtf, WordsOfParagraphsAndRunsStayWithThem) {
    QTextDocument document;
    rtf::loadBytes(
        document,
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\s1\\keepn\\pagebb\\lang1031 Title "
        "{\\super 2}\\par\\pard\\lang1033\\lang1031 Body {\\v hidden}\\par}");
    EXPECT_EQ(rtf::documentText(document), u"Title 2\r\nBody ");
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_TRUE(saved.contains("\\pard\\s1\\keepn\\pagebb\\plain")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\lang1031 Title \\super 2\\par")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\pard\\nosupersub Body")) << saved.constData();
    EXPECT_TRUE(saved.contains("Body {\\plain\\v\\f1\\fs24\\lang1031 hidden}\\par"))
        << saved.constData();
    EXPECT_EQ(saved.count("\\lang1033"), 0) << "only the word in effect is kept";
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::saveBytes(again), saved);

    // A paragraph frame keeps its place on the page, and the paragraph after
    // it is none.
    QTextDocument framed;
    rtf::loadBytes(framed, "{\\rtf1\\pard\\phmrg\\pvmrg\\posx840\\posy1120\\absw5200\\dxfrtext0 "
                           "Framed\\par\\pard After\\par}");
    const QByteArray framedSaved = rtf::saveBytes(framed);
    EXPECT_TRUE(
        framedSaved.contains("\\pard\\phmrg\\pvmrg\\posx840\\posy1120\\absw5200\\dxfrtext0"))
        << framedSaved.constData();
    EXPECT_EQ(framedSaved.count("posx"), 1) << framedSaved.constData();
}

// A field shows its result and keeps its instruction; a hyperlink's result is
// a link to its target. Editing elsewhere keeps the field; \plain inside the
// result does not end it.
TEST(KeptRtf, FieldsKeepTheirInstructionAroundTheirResult) {
    QTextDocument document;
    rtf::loadBytes(
        document,
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier "
        "New;}}{\\colortbl;\\red0\\green0\\blue255;}"
        "\\pard See {\\field{\\*\\fldinst {\\f1\\cf1 HYPERLINK \"https://example.org/a\"}}"
        "{\\fldrslt {\\plain\\ul\\cf1 the site}}} on page {\\field{\\*\\fldinst PAGE}{\\fldrslt "
        "3}}.\\par}");
    EXPECT_EQ(rtf::documentText(document), u"See the site on page 3.");
    QTextCursor link(&document);
    link.setPosition(6);
    EXPECT_TRUE(link.charFormat().isAnchor());
    EXPECT_EQ(link.charFormat().anchorHref(), QStringLiteral("https://example.org/a"));
    QTextCursor(&document).insertText(QStringLiteral("Please "));
    const QByteArray saved = rtf::saveBytes(document);
    const QRegularExpression hyperlink(
        QStringLiteral("\\{\\\\field\\{\\\\\\*\\\\fldinst \\{\\\\f(\\d+)\\\\cf\\d+ HYPERLINK "
                       "\"https://example.org/a\"\\}\\}\\{\\\\fldrslt"));
    const QRegularExpressionMatch match = hyperlink.match(QString::fromLatin1(saved));
    ASSERT_TRUE(match.hasMatch()) << saved.constData();
    EXPECT_EQ(fontNamed(saved, match.captured(1).toInt()), QStringLiteral("Courier New"));
    EXPECT_TRUE(saved.contains("{\\field{\\*\\fldinst PAGE}{\\fldrslt 3}}")) << saved.constData();
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::documentText(again), u"Please See the site on page 3.");
    EXPECT_EQ(rtf::saveBytes(again), saved);
    // Deleting the result deletes the field.
    QTextCursor result(&again);
    result.setPosition(QStringLiteral("Please See the site on page ").size());
    result.setPosition(result.position() + 1, QTextCursor::KeepAnchor);
    result.removeSelectedText();
    EXPECT_FALSE(rtf::saveBytes(again).contains("PAGE"));

    // A field with nothing to show is kept whole where it stood, with what
    // was kept inside it, once.
    QTextDocument empty;
    const QByteArray emptyFields = "{\\field{\\*\\fldinst {\\*\\bkmkstart x}TOC}"
                                   "{\\fldrslt {\\*\\bkmkstart y}}}B{\\field{\\*\\fldinst DATE}}";
    rtf::loadBytes(empty, "{\\rtf1\\ansi\\pard A" + emptyFields + "\\par}");
    EXPECT_EQ(rtf::documentText(empty), u"AB");
    const QByteArray emptySaved = rtf::saveBytes(empty);
    EXPECT_TRUE(emptySaved.contains(emptyFields)) << emptySaved.constData();
    EXPECT_EQ(emptySaved.count("bkmkstart y"), 1) << emptySaved.constData();
    QTextDocument emptyAgain;
    rtf::loadBytes(emptyAgain, emptySaved);
    EXPECT_EQ(rtf::saveBytes(emptyAgain), emptySaved);
    // Hidden text before such a field is none of it: kept before it, once.
    QTextDocument hidden;
    const QByteArray marked = "{\\field{\\*\\fldinst REF q}{\\fldrslt {\\*\\bkmkstart q}}}";
    rtf::loadBytes(hidden, "{\\rtf1\\ansi\\pard A{\\v before}" + marked + "B\\par}");
    const QByteArray hiddenSaved = rtf::saveBytes(hidden);
    EXPECT_TRUE(hiddenSaved.contains(marked)) << hiddenSaved.constData();
    EXPECT_EQ(hiddenSaved.count("before"), 1) << hiddenSaved.constData();
    EXPECT_LT(hiddenSaved.indexOf("before"), hiddenSaved.indexOf(marked));
    // A field whose result is hidden text alone shows nothing either: kept
    // whole, its text once, hidden text before it apart from it.
    QTextDocument hiddenResult;
    const QByteArray hiddenField = "{\\field{\\*\\fldinst PAGE}{\\fldrslt {\\v 7}}}";
    rtf::loadBytes(hiddenResult, "{\\rtf1\\ansi\\pard A{\\v x}" + hiddenField + "B\\par}");
    EXPECT_EQ(rtf::documentText(hiddenResult), u"AB");
    const QByteArray hiddenResultSaved = rtf::saveBytes(hiddenResult);
    EXPECT_TRUE(hiddenResultSaved.contains("x}" + hiddenField + "B"))
        << hiddenResultSaved.constData();
    EXPECT_EQ(hiddenResultSaved.count("7"), 1) << hiddenResultSaved.constData();
    // A field hidden by the group around it stays hidden.
    QTextDocument hiddenAround;
    rtf::loadBytes(hiddenAround, "{\\rtf1\\ansi\\pard A{\\v {\\field{\\*\\fldinst PAGE}"
                                 "{\\fldrslt 7}}}B\\par}");
    const QByteArray hiddenAroundSaved = rtf::saveBytes(hiddenAround);
    EXPECT_TRUE(hiddenAroundSaved.contains("{\\v{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}}"))
        << hiddenAroundSaved.constData();
    QTextDocument hiddenAroundAgain;
    rtf::loadBytes(hiddenAroundAgain, hiddenAroundSaved);
    EXPECT_EQ(rtf::documentText(hiddenAroundAgain), u"AB");
    // Hidden text before an instruction without its \field word: kept
    // apart from the group kept whole, so that it is there after two saves.
    QTextDocument bareInstruction;
    rtf::loadBytes(bareInstruction, "{\\rtf1\\ansi\\pard\\v tt{{\\fldinst}}\\par}");
    QTextDocument bareAgain;
    rtf::loadBytes(bareAgain, rtf::saveBytes(bareInstruction));
    EXPECT_TRUE(rtf::saveBytes(bareAgain).contains("{\\plain\\v\\fs24 tt}"))
        << rtf::saveBytes(bareAgain).constData();

    // A field inside another's result stays inside it (a contents entry's
    // hyperlink and page number); two alike side by side stay two.
    const QByteArray nestedFields =
        "{\\field{\\*\\fldinst TOC}{\\fldrslt Intro {\\field{\\*\\fldinst HYPERLINK "
        "\"https://a.b/\"}"
        "{\\fldrslt link {\\field{\\*\\fldinst PAGEREF x}{\\fldrslt 3}}}} end}}"
        "{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}{\\field{\\*\\fldinst PAGE}{\\fldrslt 2}}";
    QTextDocument nested;
    rtf::loadBytes(nested, "{\\rtf1\\ansi\\pard " + nestedFields + "\\par}");
    EXPECT_EQ(rtf::documentText(nested), u"Intro link 3 end12");
    QTextCursor inLink(&nested);
    inLink.setPosition(12);
    EXPECT_EQ(inLink.charFormat().anchorHref(), QStringLiteral("https://a.b/"));
    const QByteArray nestedSaved = rtf::saveBytes(nested);
    // Apart from line breaks and the format of the first run, as written.
    EXPECT_TRUE(QByteArray(nestedSaved)
                    .replace("\r\n", "")
                    .replace("\\plain\\fs24 ", " ")
                    .contains(nestedFields))
        << nestedSaved.constData();
    QTextDocument nestedAgain;
    rtf::loadBytes(nestedAgain, nestedSaved);
    EXPECT_EQ(rtf::saveBytes(nestedAgain), nestedSaved);
}

// A field whose result runs over several paragraphs (a table of contents)
// stays one field, its paragraphs with their own formats; one that ends
// inside a paragraph leaves the paragraph's format as it was.
TEST(KeptRtf, AFieldOverSeveralParagraphsStaysOne) {
    const QByteArray file =
        "{\\rtf1\\ansi\\pard\\qr Before {\\field{\\*\\fldinst TOC \\\\o}{\\fldrslt One\\par"
        "\\pard\\li720 Two {\\field{\\*\\fldinst PAGEREF x}{\\fldrslt 2}}\\par"
        "\\pard\\qc\\sb120 Three}} after\\par\\pard Next\\par}";
    // Saved, the field is there once, and the file reads back as the
    // document was and saves the same again.
    const auto savedOnce = [](const QTextDocument& document) {
        const QByteArray saved = rtf::saveBytes(document);
        EXPECT_EQ(saved.count("TOC"), 1) << saved.constData();
        EXPECT_EQ(saved.count("PAGEREF"), 1) << saved.constData();
        QTextDocument again;
        rtf::loadBytes(again, saved);
        EXPECT_EQ(rtf::dumpDocument(again), rtf::dumpDocument(document));
        EXPECT_EQ(rtf::saveBytes(again), saved);
        return saved;
    };
    QTextDocument document;
    rtf::loadBytes(document, file);
    savedOnce(document);

    // Edited inside and around it, it is still one field, and the paragraph
    // after it none of it.
    QTextCursor cursor(document.findBlockByNumber(1));
    cursor.insertText(QStringLiteral("Chapter "));
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral(" more"));
    const QByteArray edited = savedOnce(document);
    EXPECT_LT(edited.lastIndexOf("}}"), edited.indexOf("Next")) << edited.constData();
}

// A paragraph's borders and shading are kept side by side; a side given
// again replaces what was said of it, and colours follow the new table.
TEST(KeptRtf, ParagraphBordersAndShadingStayWithTheirParagraph) {
    QTextDocument document;
    rtf::loadBytes(document,
                   "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
                   "{\\colortbl;\\red0\\green255\\blue0;\\red255\\green0\\blue0;"
                   "\\red0\\green0\\blue255;}"
                   "\\pard\\brdrt\\brdrs\\brdrw10\\brdrcf3\\brsp20\\brdrb\\brdrdb\\brdrw15"
                   "\\cbpat2\\shading2000 Boxed\\par Again\\brdrt\\brdrdot\\par\\pard Plain\\par}");
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_TRUE(saved.contains("{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"));
    EXPECT_TRUE(saved.contains("\\pard\\cbpat1\\shading2000\\brdrt\\brdrs\\brdrw10\\brdrcf2"
                               "\\brsp20\\brdrb\\brdrdb\\brdrw15"))
        << saved.constData();
    EXPECT_TRUE(saved.contains("\\brdrb\\brdrdb\\brdrw15\\brdrt\\brdrdot Again"))
        << saved.constData();
    EXPECT_TRUE(saved.contains("\\pard Plain")) << saved.constData();
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::saveBytes(again), saved);
}

// Notes show their number, raised, and stand for the whole note; what the
// body holds and the editor does not show stays just where it stood, once,
// however the text around it is edited; deleting a note's number deletes it.
TEST(KeptRtf, NotesBookmarksAnnotationsAndHiddenTextStayWhereTheyStood) {
    const QByteArray original =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
        "\\pard Before{\\*\\bkmkstart mark} word{\\cs15\\chftn}"
        "{\\footnote\\pard\\plain{\\super\\chftn} The \\f1 note.} after {\\v secret}visible"
        "{\\*\\bkmkend mark}\\par"
        "\\pard Endnote{\\super\\chftn}{\\*\\footnote\\ftnalt\\pard\\plain End.}\\par"
        "\\pard{\\*\\atnid JD}{\\*\\atnauthor Jane}\\chatn{\\*\\annotation\\pard\\plain Comment}"
        "Annotated\\par}";
    QTextDocument document;
    rtf::loadBytes(document, original);
    EXPECT_EQ(rtf::documentText(document), u"Before word1 after visible\r\nEndnotei\r\nAnnotated");
    QTextCursor mark(&document);
    mark.setPosition(12); // after "1"
    EXPECT_EQ(mark.charFormat().verticalAlignment(), QTextCharFormat::AlignSuperScript);

    const QByteArray saved = rtf::saveBytes(document);
    const auto expectInOrder = [&saved](std::initializer_list<const char*> pieces) {
        qsizetype at = 0;
        for (const char* piece : pieces) {
            const qsizetype found = saved.indexOf(piece, at);
            EXPECT_GE(found, at) << piece << " in " << saved.constData();
            at = std::max(found, at);
        }
    };
    expectInOrder({"Before{\\*\\bkmkstart mark} word",
                   "{\\cs15\\super\\chftn {\\footnote\\pard\\plain", "\\f2 note.}",
                   "after {\\plain\\v\\f1\\fs24 secret}visible{\\*\\bkmkend mark}\\par", "Endnote",
                   "\\chftn {\\*\\footnote\\ftnalt",
                   "{\\*\\atnid JD}{\\*\\atnauthor Jane}"
                   "\\chatn {\\*\\annotation\\pard\\plain Comment}\\pard Annotated\\par"});
    EXPECT_FALSE(saved.contains("word1")) << "the number is the note's, not text";
    EXPECT_TRUE(saved.contains("Courier New")) << "the note's font is in the table";
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::documentText(again), rtf::documentText(document));
    EXPECT_EQ(rtf::saveBytes(again), saved);

    // Bold across the bookmark's text splits its run: still one bookmark.
    QTextCursor edit(&document);
    edit.setPosition(8);
    edit.setPosition(10, QTextCursor::KeepAnchor);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    edit.mergeCharFormat(bold);
    edit.setPosition(0);
    edit.insertText(QStringLiteral("New "));
    const QByteArray edited = rtf::saveBytes(document);
    EXPECT_EQ(edited.count("bkmkstart mark"), 1) << edited.constData();
    EXPECT_EQ(edited.count("\\footnote"), 2) << edited.constData();

    // Deleting the number deletes its note and nothing else.
    edit.setPosition(16);
    edit.deletePreviousChar();
    EXPECT_EQ(rtf::documentText(document).section(QStringLiteral("\r\n"), 0, 0),
              u"New Before word after visible");
    const QByteArray deleted = rtf::saveBytes(document);
    EXPECT_EQ(deleted.count("\\footnote"), 1) << deleted.constData();
    EXPECT_FALSE(deleted.contains("The ")) << deleted.constData();

    // Typed into a number of two digits, text is text: the note goes once,
    // the typed letter after it, and no digit of the number as text.
    QTextDocument tenth;
    rtf::loadBytes(tenth,
                   "{\\rtf1\\ansi\\ftnstart10 \\pard A{\\chftn{\\footnote\\chftn a}}B\\par}");
    ASSERT_EQ(rtf::documentText(tenth), u"A10B");
    QTextCursor inside(&tenth);
    inside.setPosition(2);
    inside.insertText(QStringLiteral("x"));
    const QByteArray typed = rtf::saveBytes(tenth);
    EXPECT_EQ(typed.count("\\footnote"), 1) << typed.constData();
    QTextDocument typedAgain;
    rtf::loadBytes(typedAgain, typed);
    EXPECT_EQ(rtf::documentText(typedAgain), u"A10xB") << typed.constData();
}

TEST(KeptRtf, PageColumnAndSectionBreaksStayBeforeTheirParagraph) {
    // Word ends a section with \sect and opens the next with its own
    // formatting: a page in landscape, two columns.
    const QByteArray original =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\sectd\\cols1"
        "\\pard One\\page Two\\par\\pard Three\\column Four\\par"
        "\\pard Five\\sect\\sectd\\lndscpsxn\\sbkpage\\cols2{\\header \\pard Wide\\par}"
        "\\pard Six\\par\\pard\\par}";
    QTextDocument document;
    rtf::loadBytes(document, original);
    EXPECT_EQ(rtf::documentText(document), u"One\r\nTwo\r\nThree\r\nFour\r\nFive\r\nSix\r\n")
        << "breaks end their paragraph and show nothing else";
    QTextCursor(&document).insertText(QStringLiteral("New "));
    const QByteArray saved = rtf::saveBytes(document);
    qsizetype at = 0;
    for (const char* piece :
         {"New One\\par", "\\page \\pard Two", "Three\\par", "\\column \\pard Four", "Five\\par",
          "\\sect \\sectd \\lndscpsxn \\sbkpage \\cols2 "
          "{\\header \\pard Wide\\par}\\pard Six"}) {
        const qsizetype found = saved.indexOf(piece, at);
        EXPECT_GE(found, at) << piece << " in " << saved.constData();
        at = std::max(found, at);
    }
    EXPECT_EQ(saved.count("\\sectd"), 2) << "the first section's words stay in the header";
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::documentText(again), rtf::documentText(document));
    EXPECT_EQ(rtf::saveBytes(again), saved);

    // The break goes with the paragraph it stands before.
    QTextCursor two(document.findBlockByNumber(1));
    two.select(QTextCursor::BlockUnderCursor);
    two.removeSelectedText();
    const QByteArray deleted = rtf::saveBytes(document);
    EXPECT_FALSE(deleted.contains("\\page")) << deleted.constData();
    EXPECT_TRUE(deleted.contains("\\column")) << deleted.constData();

    // A break before any text: the words after it are the second section's,
    // in the first save and in every one after.
    QTextDocument first;
    rtf::loadBytes(first, "{\\rtf1\\ansi\\sectd\\sbknone\\sect\\vertalt\\pard One\\par}");
    const QByteArray once = rtf::saveBytes(first);
    EXPECT_TRUE(once.contains("\\sect \\vertalt")) << once.constData();
    QTextDocument second;
    rtf::loadBytes(second, once);
    EXPECT_EQ(rtf::saveBytes(second), once);
}

// Notes are numbered as the document asks (\ftnnauc, \ftnstartN, \aftnnar,
// \ftnnchi), Word's defaults without; the settings are written back.
TEST(KeptRtf, NotesAreNumberedByTheDocumentsSettings) {
    const auto numbers = [](const QByteArray& settings) {
        QTextDocument document;
        rtf::loadBytes(
            document,
            "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}" + settings +
                "\\pard A{\\chftn{\\footnote\\chftn a}}B{\\chftn{\\footnote\\chftn b}}"
                "C{\\chftn{\\footnote\\ftnalt\\chftn c}}D{\\chftn{\\footnote\\ftnalt\\chftn "
                "d}}\\par}");
        const QByteArray saved = rtf::saveBytes(document);
        EXPECT_TRUE(saved.contains(settings)) << saved.constData();
        return rtf::documentText(document);
    };
    EXPECT_EQ(numbers(""), u"A1B2CiDii");
    EXPECT_EQ(numbers("\\ftnnauc \\ftnstart3 \\aftnnar "), u"ACBDC1D2");
    EXPECT_EQ(numbers("\\ftnnchi \\aftnnruc \\aftnstart4 "), u"A*B\u2020CIVDV");

    // Notes that count again in each section do; per page they count on.
    const QByteArray sections = "\\pard A{\\chftn{\\footnote\\chftn a}}\\sect B{\\chftn{\\footnote"
                                "\\chftn b}}C{\\chftn{\\footnote\\ftnalt\\chftn c}}\\par}";
    for (const auto& [settings, expected] :
         {std::pair{"\\ftnrestart ", u"A1\r\nB1Ci"}, std::pair{"\\ftnrstpg ", u"A1\r\nB2Ci"},
          std::pair{"\\ftnrestart \\ftnrstcont ", u"A1\r\nB2Ci"}}) {
        QTextDocument document;
        rtf::loadBytes(document, "{\\rtf1\\ansi " + QByteArray(settings) + sections);
        EXPECT_EQ(rtf::documentText(document), expected) << settings;
        QTextDocument again;
        rtf::loadBytes(again, rtf::saveBytes(document));
        EXPECT_EQ(rtf::documentText(again), expected) << settings;
    }

    // A setting after the text has begun is not the document's: kept where it
    // stood, it numbers nothing, at the first reading or the second.
    QTextDocument late;
    rtf::loadBytes(late, "{\\rtf1 0\\ftnstart2{\\footnote x}}");
    EXPECT_EQ(rtf::documentText(late), u"01");
    QTextDocument again;
    rtf::loadBytes(again, rtf::saveBytes(late));
    EXPECT_EQ(rtf::documentText(again), u"01");
}

// A bookmark before the first text stays before it; what follows the last
// paragraph is the document's, written after its body. Both stay where they
// are on every save, also when the first paragraph is a table's.
TEST(KeptRtf, PiecesBeforeTheFirstTextAndAfterTheLastStayThere) {
    // AbiWord keeps its table's properties in an empty paragraph before it.
    for (const QByteArray& body :
         {QByteArray("\\pard Text\\par"),
          QByteArray("\\trowd\\cellx1000\\pard\\intbl Text\\cell\\row"),
          QByteArray(
              "{\\*\\abitableprops sdh}\\par\\trowd\\cellx1000\\pard\\intbl Text\\cell\\row")}) {
        SCOPED_TRACE(body.constData());
        QTextDocument document;
        rtf::loadBytes(document, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\bkmkstart top}" +
                                     body + "{\\*\\bkmkend top}{\\*\\xmlclose}}");
        EXPECT_TRUE(rtf::documentText(document).contains(u"Text"));
        const QByteArray saved = rtf::saveBytes(document);
        EXPECT_LT(saved.indexOf("{\\*\\bkmkstart top}"), saved.indexOf("Text"))
            << saved.constData();
        EXPECT_EQ(saved.contains("{\\*\\abitableprops sdh}"), body.contains("abitableprops"));
        EXPECT_TRUE(saved.endsWith("{\\*\\bkmkend top}\n{\\*\\xmlclose}\n}\r\n"))
            << saved.constData();
        QTextDocument again;
        rtf::loadBytes(again, saved);
        EXPECT_EQ(rtf::saveBytes(again), saved);
    }
}

// Two alike pieces with text between stay two, the first at the
// paragraph's start included: the text between must not join the text
// after the second into one run (a fuzz find).
TEST(KeptRtf, AlikePiecesApartStayTwo) {
    QTextDocument document;
    rtf::loadBytes(document, "{\\rtf1\\ansi{\\*\\hyphen2}\\pard One {\\*\\hyphen2}two\\par}");
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_EQ(saved.count("{\\*\\hyphen2}"), 2) << saved.constData();
    EXPECT_TRUE(saved.contains("One {\\*\\hyphen2}two")) << saved.constData();
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::saveBytes(again), saved);
}

// Saving what was read of a saved file gives the same bytes, and the same
// text, for the shapes the fuzzer found otherwise.
TEST(KeptRtf, ASecondSaveIsTheFirst) {
    const QByteArray files[] = {
        // A font table late in the file names a font that hidden text
        // before it had without a name.
        "{\\rtf1{\\v one\\f0 two{\\fonttbl{\\f0 Courier New;}}}}",
        // A paragraph of hidden text only keeps its own mark's format, not
        // the format of a group in the paragraph before it.
        "{\\rtf1{\\field{\\*\\fldinst x}{\\fldrslt shown}}\\v one\\par two\\lang1031\\par}",
        "{\\rtf1{\\field{\\*\\fldinst x}{\\fldrslt shown}}\\par\\v two\\plain\\fs4\\par}",
        // Hidden text before a table that names its font Symbol, and a \f
        // the table lacks, which shows in the default font, here Symbol.
        "{\\rtf1\\v \\'c1{\\fonttbl{\\f0 Symbol;}}}",
        "{\\rtf1{\\fonttbl{\\f0 Symbol;}}\\f3 \\u-4022?\\par}",
        // A ';' that comes as \u59 inside a font name.
        "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Semi\\u59?colon;}}\\f1 text\\f0  more\\par}",
        // Hidden text in a font the table has without a name, and hidden
        // text before a second font table that renames its font.
        "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f4}}\\f4{\\v hidden}\\par}",
        "{\\rtf1\\deff0{\\fonttbl{\\f1 Arial;}}{\\v one}{\\fonttbl{\\f0 Symbol;}}\\v c\\par}",
        // A control character between a note's mark and its note is no
        // text that would leave the mark without its note.
        "{\\rtf1 A\\chftn\x02{\\footnote n}\\par}",
        "{\\rtf1 A\\chftn\\'02{\\footnote n}\\par}",
        // Long hidden text whose colour number shrinks when saved.
        "{\\rtf1{\\colortbl;\\red1\\green0\\blue0;\\red2\\green0\\blue0;\\red3\\green0\\blue0;"
        "\\red4\\green0\\blue0;\\red5\\green0\\blue0;\\red6\\green0\\blue0;\\red7\\green0\\blue0;"
        "\\red8\\green0\\blue0;\\red9\\green0\\blue0;\\red10\\green0\\blue0;\\red11\\green0\\blue0;"
        "}"
        "Shown {\\v\\cf11 " +
            QByteArray("hidden words ").repeated(20) + "}\\par}",
    };
    for (const QByteArray& file : files) {
        SCOPED_TRACE(file.constData());
        QTextDocument document;
        rtf::loadBytes(document, file);
        const QByteArray saved = rtf::saveBytes(document);
        QTextDocument again;
        rtf::loadBytes(again, saved);
        EXPECT_EQ(rtf::documentText(again), rtf::documentText(document));
        EXPECT_EQ(rtf::saveBytes(again), saved) << saved.constData();
    }
}

// An instruction group with text before its word is no instruction: the text
// went to the body, and the field's result stays plain text (a fuzz find).
TEST(KeptRtf, AnInstructionAfterTextIsNoField) {
    QTextDocument document;
    rtf::loadBytes(document, "{\\rtf1\nHello\n{\\fi\\trowd*\\fldinst HYPERLINK \"http://x.org\" "
                             "}\n{\\fldrslt world}\n}");
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_FALSE(saved.contains("fldinst")) << saved.constData();
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::documentText(again), rtf::documentText(document));

    // Nor is a group kept whole for showing nothing that defines a row's
    // cell: written back inside the row, it would add a cell to it.
    QTextDocument cells;
    rtf::loadBytes(cells, "{\\rtf1{\\d{\\*\\fldinst x}\\cellx}\\intbl a\\cell\\row}");
    EXPECT_EQ(textAfterASave(cells), rtf::documentText(cells));
}

TEST(KeptRtf, HyperlinkTargetsAreTheFirstArgument) {
    EXPECT_EQ(rtf::hyperlinkTarget("{\\*\\fldinst HYPERLINK \"mailto:a@b.org\" \\\\o \"tip\"}"),
              QStringLiteral("mailto:a@b.org"));
    EXPECT_EQ(rtf::hyperlinkTarget("{\\*\\fldinst { HYPERLINK http://x.org/y }}"),
              QStringLiteral("http://x.org/y"));
    EXPECT_EQ(rtf::hyperlinkTarget("{\\*\\fldinst HYPERLINK \\\\l \"anchor\"}"),
              QStringLiteral("anchor"));
    EXPECT_EQ(rtf::hyperlinkTarget("{\\*\\fldinst PAGE}"), QString());
    // A switch with nothing after it (this once never returned: a fuzz find).
    EXPECT_EQ(rtf::hyperlinkTarget("{\\*\\fldinst { HYPERLINK \\\\anchor\" }}"), QString());
}

// A saved file is in Windows-1252 and names no charset but Symbol's: kept
// letters of any other code page go as the characters they are.
TEST(KeptRtf, KeptLettersOfOtherCodePagesStayTheSameLetters) {
    const auto saved = [](const QByteArray& rtf) {
        QTextDocument document;
        rtf::loadBytes(document, rtf);
        return rtf::saveBytes(document);
    };
    const QByteArray cyrillic =
        saved("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}{\\f1 Symbol;}"
              "{\\f2\\fcharset0 Courier;}}{\\header \\pard \\'e0\\'e1 {\\f1 \\'b7}{\\f2 \\'e9}"
              "{\\*\\pn\\pnf1{\\pntxtb \\'a8}}"
              "\\u1078\\'e6\\par}\\pard x{\\chftn{\\footnote \\chftn \\'e2\xe3}}\\par}");
    for (const char* piece : {"{\\header \\pard \\u1072?\\u1073? ", "\\'b7}", "\\'e9}", "\\'a8}}",
                              "\\u1078\\'e6\\par}", "\\chftn \\u1074?\\u1075?}"})
        EXPECT_TRUE(cyrillic.contains(piece)) << piece << " in " << cyrillic.constData();

    // Two bytes to a letter, an ASCII trail byte among them; a font's own
    // charset in a Western document.
    const QByteArray japanese = saved("{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0 Gothic;}}"
                                      "{\\header \\pard \\'82\\'a0\\'83@\\par}\\pard x\\par}");
    EXPECT_TRUE(japanese.contains("\\u12354?\\u12449?\\par}")) << japanese.constData();
    const QByteArray greek =
        saved("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset161 Arial Greek;}}"
              "{\\footer \\pard\\f1 \\'e1\\'e2\\par}\\pard x\\par}");
    EXPECT_TRUE(greek.contains("\\u945?\\u946?\\par}")) << greek.constData();
}

TEST(KeptRtf, ACharacterSetSaidInsideAGroupIsNotTheDocuments) {
    // A shape kept whole that says \mac would make the text after it, written
    // as Windows bytes, read as Mac letters the next time.
    QTextDocument document;
    rtf::loadBytes(document, "{\\rtf1\\ansi{\\shpgrp{\\mac\\deff3}}\\pard \\'97\\emdash\\par}");
    EXPECT_EQ(rtf::documentText(document), u"\u2014\u2014");
    EXPECT_EQ(textAfterASave(document), u"\u2014\u2014");

    // A font table in a shape before the text (fuzz finds) names the
    // document's fonts; kept with the shape, it named them again after the
    // saved file's own table. The shape is not kept; its picture shows.
    QTextDocument fonts;
    rtf::loadBytes(fonts, "{\\rtf1\\ansi\\deff0{\\shp{\\fonttbl{\\f1 Courier New;}}{\\sp{\\sn pib}"
                          "{\\sv {\\pict\\pngblip 07}}}}\\pard\\f1 text\\par}");
    const QByteArray saved = rtf::saveBytes(fonts);
    EXPECT_FALSE(saved.contains("\\shp")) << saved.constData();
    EXPECT_EQ(saved.count("\\pict"), 1) << saved.constData();
    QTextDocument again;
    rtf::loadBytes(again, saved);
    EXPECT_EQ(rtf::saveBytes(again), saved);
    EXPECT_EQ(rtf::dumpDocument(again), rtf::dumpDocument(fonts));
}

TEST(KeptRtf, RenumberingTouchesOnlyTableNumbers) {
    const std::string_view rtf =
        "{\\header\\f3 \\cf12\\fs20\\ls2\\lsdlocked0 x \\af-1\r\n{\\*\\bkmkstart f3}\\bin3 "
        "\\f9}\\highlight2\\listid7}";
    rtf::Renumbering numbers;
    numbers.font = [](int n) { return n + 100; };
    numbers.color = [](int n) { return n * 2; };
    numbers.list = [](int n) { return n + 10; };
    // No mapping for list ids: they stay.
    const QByteArray out = rtf::renumber(rtf, numbers);
    EXPECT_EQ(out, QByteArray("{\\header\\f103 \\cf24\\fs20\\ls12\\lsdlocked0 x \\af99\r\n"
                              "{\\*\\bkmkstart f3}\\bin3 \\f9}\\highlight4\\listid7}"));
}

} // namespace
