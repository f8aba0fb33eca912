#include "components/richtextsurface.h"
#include "components/rtf/documentfile.h"
#include "components/runtimeerror.h"

#include <QFile>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class Surface : public ::testing::Test {
protected:
    QWidget page;
    RichTextSurface surface{7, &page};

    // Selects [start, start + length) of Text.
    void select(int start, int length) {
        surface.setSelStart(start);
        surface.setSelLength(length);
    }
    QString selectedText() const {
        return surface.text().mid(surface.selStart(), surface.selLength());
    }
};

TEST_F(Surface, TextJoinsParagraphsWithCrLfAndEmptyTextEmpties) {
    surface.setText(QStringLiteral("one\r\ntwo\nthree\rfour"));
    EXPECT_EQ(surface.text(), QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));
    EXPECT_EQ(surface.document()->blockCount(), 4);
    surface.setText(QString());
    EXPECT_EQ(surface.text(), QString());
    EXPECT_EQ(surface.document()->blockCount(), 1);
}

TEST_F(Surface, TextKeepsTabsNonBreakingSpacesAndCharactersOutsideTheBmp) {
    const QString text = QStringLiteral("a\tb\u00A0c \U0001F600 d");
    surface.setText(text);
    EXPECT_EQ(surface.text(), text);
}

TEST_F(Surface, SelectionCountsCrLfAsTwoCharacters) {
    surface.setText(QStringLiteral("ab\r\ncd\r\n\r\nef"));
    select(4, 2);
    EXPECT_EQ(selectedText(), QStringLiteral("cd"));
    EXPECT_EQ(surface.widget()->textCursor().selectedText(), QStringLiteral("cd"));
    select(8, 4);
    EXPECT_EQ(surface.widget()->textCursor().selectedText(), QStringLiteral("\u2029ef"));
    EXPECT_EQ(surface.selStart(), 8);
    EXPECT_EQ(surface.selLength(), 4);
    // A selection across a break reads back with the break as two characters.
    select(1, 4);
    EXPECT_EQ(surface.selLength(), 4);
    EXPECT_EQ(selectedText(), QStringLiteral("b\r\nc"));
}

TEST_F(Surface, OffsetsBeyondTheEndOrInsideABreakAreClamped) {
    surface.setText(QStringLiteral("ab\r\ncd"));
    select(3, 0); // between CR and LF
    EXPECT_EQ(surface.selStart(), 2);
    select(100, 0);
    EXPECT_EQ(surface.selStart(), 6);
    select(1, 1000);
    EXPECT_EQ(surface.selLength(), 5);
    EXPECT_THROW(surface.setSelStart(-1), RuntimeError);
    EXPECT_THROW(surface.setSelLength(-1), RuntimeError);
}

TEST_F(Surface, OffsetMappingMatchesTextOverManyParagraphs) {
    QString text;
    for (int i = 0; i < 2000; ++i)
        text += QStringLiteral("line %1 \U0001F4A1\r\n").arg(i);
    surface.setText(text);
    const QString plain = surface.text();
    for (int i : {0, 1, 999, 1500, 1999}) {
        const QString needle = QStringLiteral("line %1 ").arg(i);
        const int at = int(plain.indexOf(needle));
        select(at, int(needle.size()) + 2);
        EXPECT_EQ(surface.widget()->textCursor().selectedText(),
                  needle + QStringLiteral("\U0001F4A1"));
        EXPECT_EQ(surface.selStart(), at);
    }
}

TEST_F(Surface, CharacterPropertiesReadNoValueForMixedSelections) {
    surface.setText(QStringLiteral("plain bold"));
    select(6, 4);
    surface.setSelBold(true);
    surface.setSelFontSize(10.5);
    surface.setSelFontName(QStringLiteral("Courier New"));
    EXPECT_EQ(surface.selBold(), true);
    EXPECT_EQ(surface.selFontSize(), 10.5);
    EXPECT_EQ(surface.selFontName(), QStringLiteral("Courier New"));

    select(0, 5);
    EXPECT_EQ(surface.selBold(), false);
    EXPECT_EQ(surface.selFontSize(), 9.0);
    EXPECT_EQ(surface.selFontName(), QStringLiteral("Arial"));

    select(3, 5);
    EXPECT_EQ(surface.selBold(), std::nullopt);
    EXPECT_EQ(surface.selFontSize(), std::nullopt);
    EXPECT_EQ(surface.selFontName(), std::nullopt);
    EXPECT_EQ(surface.selItalic(), false);
}

TEST_F(Surface, PutOnCollapsedSelectionAppliesToTextTypedNext) {
    surface.setText(QStringLiteral("ab"));
    select(1, 0);
    surface.setSelItalic(true);
    surface.setSelUnderline(true);
    EXPECT_EQ(surface.selItalic(), true);
    surface.widget()->textCursor().insertText(QStringLiteral("X"));
    select(1, 1);
    EXPECT_EQ(surface.selItalic(), true);
    EXPECT_EQ(surface.selUnderline(), true);
    select(0, 1);
    EXPECT_EQ(surface.selItalic(), false);
}

TEST_F(Surface, ParagraphPropertiesCoverEveryParagraphTouched) {
    surface.setText(QStringLiteral("one\r\ntwo\r\nthree"));
    select(5, 3);
    surface.setSelAlignment(2);
    surface.setSelBullet(true);
    surface.setSelIndent(500);
    EXPECT_EQ(surface.selAlignment(), 2);
    EXPECT_EQ(surface.selBullet(), true);
    EXPECT_EQ(surface.selIndent(), 500);

    select(0, 7); // the first two paragraphs
    EXPECT_EQ(surface.selAlignment(), std::nullopt);
    EXPECT_EQ(surface.selBullet(), std::nullopt);
    EXPECT_EQ(surface.selIndent(), std::nullopt);

    surface.setSelAlignment(1);
    EXPECT_EQ(surface.selAlignment(), 1);
    surface.setSelBullet(false);
    EXPECT_EQ(surface.selBullet(), false);
    surface.setSelIndent(-500);
    EXPECT_EQ(surface.selIndent(), 0);
    EXPECT_THROW(surface.setSelAlignment(3), RuntimeError);
}

TEST_F(Surface, ChangeFiresForTypingTextAndFormattingWithTheIndex) {
    QSignalSpy changes(&surface, &RichTextSurface::Change);
    surface.setText(QStringLiteral("abc"));
    ASSERT_GE(changes.count(), 1);
    EXPECT_EQ(changes.last().at(0).value<qint16>(), 7);
    changes.clear();
    select(0, 3);
    EXPECT_EQ(changes.count(), 0) << "selecting is no change";
    surface.setSelBold(true);
    EXPECT_GE(changes.count(), 1) << "formatting is a change";
}

TEST_F(Surface, BaseFontTagAndVisibility) {
    EXPECT_EQ(surface.font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(surface.font().pointSizeF(), 9.0);
    EXPECT_FALSE(surface.font().bold());
    surface.setTag(QStringLiteral("0|/tmp/a|b.rtf"));
    EXPECT_EQ(surface.tag(), QStringLiteral("0|/tmp/a|b.rtf"));
    surface.setVisible(false);
    EXPECT_FALSE(surface.isVisible());
    surface.setBackColor(0x0000FF);
    EXPECT_EQ(surface.widget()->palette().color(QPalette::Base), QColor(255, 0, 0));
}

} // namespace

namespace {

TEST_F(Surface, ParagraphsRunLeftToRightUnlessTheFileSaysOtherwise) {
    surface.setText(QStringLiteral("\u05E9\u05DC\u05D5\u05DD"));
    EXPECT_EQ(surface.document()->begin().textDirection(), Qt::LeftToRight);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("rtl.rtf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1\\ansi\\pard\\rtlpar\\qr \\u1513?\\u1500?\\par\\pard \\u1513?\\u1500?}");
    file.close();
    surface.loadFile(path);
    EXPECT_EQ(surface.document()->defaultTextOption().textDirection(), Qt::LeftToRight);
    EXPECT_EQ(surface.document()->begin().textDirection(), Qt::RightToLeft);
    EXPECT_EQ(surface.document()->lastBlock().textDirection(), Qt::LeftToRight);
    EXPECT_EQ(surface.selAlignment(), 1);
    surface.setSelAlignment(0); // Left is the left side, also here
    const Qt::Alignment align = surface.document()->begin().blockFormat().alignment();
    EXPECT_TRUE(QStyle::visualAlignment(Qt::RightToLeft, align) & Qt::AlignLeft);
}

TEST_F(Surface, SavedFileLoadsBackWithTextFormatsAndOneChange) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("doc.rtf"));
    surface.setText(QStringLiteral("Plain \u20AC bold\r\ncentred"));
    select(8, 4);
    surface.setSelBold(true);
    select(14, 1);
    surface.setSelAlignment(2);
    surface.saveFile(path);

    RichTextSurface other{3, &page};
    QSignalSpy changes(&other, &RichTextSurface::Change);
    other.loadFile(path);
    EXPECT_GE(changes.count(), 1);
    EXPECT_EQ(other.text(), surface.text());
    other.setSelStart(8);
    other.setSelLength(4);
    EXPECT_EQ(other.selBold(), std::optional<bool>(true));
    other.setSelStart(14);
    EXPECT_EQ(other.selAlignment(), std::optional<qint16>(2));
}

// Enter, undo and redo as the user gives them: labels that show the number of
// the item above ("2.1.") follow, go back with the undo, and come again.
TEST_F(Surface, LevelNumbersFollowAnItemAddedAboveThroughUndoAndRedo) {
    rtf::loadBytes(*surface.document(),
                   "{\\rtf1\\ansi{\\*\\listtable{\\list{\\listlevel\\levelnfc0"
                   "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}{\\listlevel\\levelnfc0"
                   "{\\leveltext\\'04\\'00.\\'01.;}{\\levelnumbers\\'01\\'03;}}\\listid7}}"
                   "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}"
                   "\\pard\\ls1 a\\par\\pard\\ls1\\ilvl1 b\\par}");
    const auto labels = [this] {
        QStringList shown;
        for (QTextBlock block = surface.document()->begin(); block.isValid(); block = block.next())
            shown << block.textList()->itemText(block);
        return shown;
    };
    ASSERT_EQ(labels(), (QStringList{"1.", "1.1."}));
    QSignalSpy changes(&surface, &RichTextSurface::Change);
    QCoreApplication::processEvents();
    EXPECT_EQ(changes.count(), 0) << "opening changes nothing";

    select(1, 0);
    QTest::keyClick(surface.widget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(labels(), (QStringList{"1.", "2.", "2.1."}));
    surface.widget()->undo();
    QCoreApplication::processEvents();
    EXPECT_EQ(surface.text(), u"a\r\nb");
    EXPECT_EQ(labels(), (QStringList{"1.", "1.1."}));
    surface.widget()->redo();
    QCoreApplication::processEvents();
    EXPECT_EQ(labels(), (QStringList{"1.", "2.", "2.1."}));
    EXPECT_FALSE(surface.document()->isRedoAvailable()) << "the redo was the last step";
}

// Text typed right after a footnote's number is the user's: the note is
// written once, and the new text with it.
TEST_F(Surface, TypingAfterANoteNumberAddsTextNotNotes) {
    rtf::loadBytes(*surface.document(),
                   "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard Word{\\super\\chftn}"
                   "{\\footnote\\pard The note.}\\par}");
    ASSERT_EQ(surface.text(), u"Word1");
    surface.setSelStart(5);
    QTest::keyClicks(surface.widget(), QStringLiteral("xy"));
    EXPECT_EQ(surface.text(), u"Word1xy");
    const QByteArray saved = rtf::saveBytes(*surface.document());
    EXPECT_EQ(saved.count("\\footnote"), 1) << saved.constData();
    EXPECT_TRUE(saved.contains("The note.}}\\super xy\\par")) << saved.constData();
    // The number deleted, the typed text stays whole and the note goes.
    surface.setSelStart(4);
    surface.setSelLength(1);
    QTest::keyClick(surface.widget(), Qt::Key_Delete);
    EXPECT_EQ(surface.text(), u"Wordxy");
    const QByteArray deleted = rtf::saveBytes(*surface.document());
    EXPECT_FALSE(deleted.contains("footnote")) << deleted.constData();
    EXPECT_TRUE(deleted.contains("Word") && deleted.contains("xy\\par")) << deleted.constData();
}

// A file's headers and page setup stay with its document through edits and
// saves; putting new Text makes a new document, which has none.
TEST_F(Surface, WhatAFileKeptGoesWithItsDocumentUntilTheTextIsReplaced) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept.rtf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\margl2000{\\header Head\\par}\\pard Body\\par}");
    file.close();
    surface.loadFile(path);
    select(0, 0);
    surface.setSelBold(true);
    surface.saveFile(path);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_TRUE(bytes.contains("\\margl2000 ") && bytes.contains("{\\header Head\\par}"))
        << bytes.constData();
    surface.setText(QString());
    surface.saveFile(path);
    QFile again(path); // a new file took the old one's place
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_FALSE(again.readAll().contains("header"));
}

TEST_F(Surface, PlainTextFileLoadsAsParagraphsAndAMissingFileLeavesTheContent) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("first {\\b not rtf}\r\nsecond\r\n");
    file.close();
    surface.loadFile(file.fileName());
    EXPECT_EQ(surface.text(), QStringLiteral("first {\\b not rtf}\r\nsecond"));

    EXPECT_THROW(surface.loadFile(dir.filePath(QStringLiteral("missing.rtf"))), RuntimeError);
    EXPECT_EQ(surface.text(), QStringLiteral("first {\\b not rtf}\r\nsecond"));
    EXPECT_THROW(surface.saveFile(dir.filePath(QStringLiteral("no/such/folder/x.rtf"))),
                 RuntimeError);
}

} // namespace

namespace {

// Tables (one nested, one cell merged), pictures and a paragraph after.
const char* const tableAndPictures =
    "{\\rtf1 before {\\pict\\wmetafile8\\picw100\\pich100 0102}\\par"
    "\\trowd\\cellx1000\\clmgf\\cellx2000\\clmrg\\cellx3000\\pard\\intbl one\\cell"
    "\\pard\\intbl\\itap2 in{\\pict\\emfblip 00}ner\\nestcell x\\nestcell"
    "{\\*\\nesttableprops\\trowd\\cellx500\\cellx900\\nestrow}\\pard\\intbl two\\cell\\cell\\row"
    "\\pard after {\\pict\\wmetafile8 03}\\par}";

} // namespace

TEST_F(Surface, TextAndSelectionAgreeAcrossTablesAndPictures) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.rtf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(tableAndPictures);
    file.close();
    surface.loadFile(path);
    const QString text = surface.text();
    EXPECT_EQ(text, QStringLiteral(
                        "before \uFFFC\r\none\r\n\r\nin\uFFFCner\r\nx\r\ntwo\r\nafter \uFFFC"));
    // Every offset maps to a document position and back, and the document
    // holds Text's character there.
    const QString raw = surface.document()->toRawText();
    for (int offset = 0; offset <= text.size(); ++offset) {
        if (offset > 0 && text[offset - 1] == u'\r')
            continue; // between CR and LF
        const int position = surface.positionOfTextOffset(offset);
        EXPECT_EQ(surface.textOffsetOf(position), offset) << offset;
        if (offset < text.size() && text[offset] != u'\r') {
            EXPECT_EQ(raw[position], text[offset]) << offset;
        }
    }
    // Selections by Text offsets select exactly those characters, inside a
    // cell, inside the nested table, around a picture and after the table.
    for (const QString& word :
         {QStringLiteral("before \uFFFC"), QStringLiteral("one"), QStringLiteral("n\uFFFCn"),
          QStringLiteral("two"), QStringLiteral("ter \uFFFC")}) {
        const int at = int(text.indexOf(word));
        ASSERT_GE(at, 0);
        select(at, int(word.size()));
        EXPECT_EQ(surface.widget()->textCursor().selectedText(), word);
        EXPECT_EQ(surface.selStart(), at);
        EXPECT_EQ(surface.selLength(), word.size());
    }
}
