#include "components/rtf/documentdump.h"
#include "search/documenttext.h"
#include "tests/support/scripted.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextTable>
#include <gtest/gtest.h>

namespace {

constexpr OleColor kGrey = 0x808080;

class Search : public ::testing::Test {
protected:
    void SetUp() override {
        harness.load();
        harness.showActive();
    }
    Form1& form() { return *harness.form; }
    RichTextSurface& current() { return form().currentSurface(); }
    void find(const QString& answer) {
        harness.messages->inputAnswers.push_back(answer);
        form().PushButton3->click();
    }
    void findNext() { form().PushButton13->click(); }
    QString selected() { return current().widget()->textCursor().selectedText(); }
    std::vector<MessageRequest>& shown() { return harness.messages->shown; }

    FormHarness harness;
};

TEST_F(Search, FindSelectsTheFirstMatchIgnoringCaseAndStartsASearch) {
    current().setText(QStringLiteral("Hello world, hello WORLD"));
    current().setSelStart(20); // the caret after the first match plays no part
    find(QStringLiteral("WORLD"));

    ASSERT_EQ(harness.messages->inputs.size(), 1u);
    EXPECT_EQ(harness.messages->inputs[0].prompt, QStringLiteral("Enter string to search: "));
    EXPECT_EQ(harness.messages->inputs[0].title, form().applicationTitle);
    EXPECT_TRUE(harness.messages->inputs[0].defaultText.isEmpty());
    EXPECT_EQ(current().selStart(), 6);
    EXPECT_EQ(current().selLength(), 5);
    EXPECT_EQ(form().nextSearchStart, 12);
    EXPECT_EQ(form().lastSearchString, QStringLiteral("WORLD"));
    EXPECT_EQ(form().PushButton13->foreColor(), 0u);
    EXPECT_TRUE(current().widget()->hasFocus());
    EXPECT_TRUE(shown().empty());
}

TEST_F(Search, FindNextWalksWithoutOverlapThenOffersToRestart) {
    current().setText(QStringLiteral("abcabc"));
    find(QStringLiteral("bc"));
    EXPECT_EQ(current().selStart(), 1);
    EXPECT_EQ(form().nextSearchStart, 4);
    findNext();
    EXPECT_EQ(current().selStart(), 4);
    EXPECT_EQ(current().selLength(), 2);
    EXPECT_EQ(form().nextSearchStart, 7);

    harness.messages->answers.push_back(MsgResult::Yes);
    findNext();
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, QStringLiteral("No more match found for the string 'bc'\r\n"
                                              "Do you want to start search from the beginning?"));
    EXPECT_EQ(shown()[0].title, QStringLiteral("Restart Search"));
    EXPECT_EQ(shown()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(shown()[0].defaultButton, MsgResult::Yes);
    EXPECT_EQ(shown()[0].icon, MsgIcon::Question);
    EXPECT_EQ(current().selStart(), 1);
    EXPECT_EQ(form().nextSearchStart, 4);
    EXPECT_EQ(form().PushButton13->foreColor(), 0u);

    findNext();
    harness.messages->answers.push_back(MsgResult::No);
    findNext();
    EXPECT_EQ(form().PushButton13->foreColor(), kGrey);
    EXPECT_EQ(current().selStart(), 4) << "No leaves the last match selected";
    findNext();
    ASSERT_EQ(shown().size(), 3u);
    EXPECT_EQ(shown()[2].text, QStringLiteral("Please use 'Find' instead."));
    EXPECT_EQ(shown()[2].title, form().applicationTitle);
    EXPECT_EQ(shown()[2].buttons, MsgButtons::Ok);
    EXPECT_EQ(shown()[2].icon, MsgIcon::None);
}

TEST_F(Search, MatchesDoNotOverlapAndCaseIsIgnoredOnTheWay) {
    current().setText(QStringLiteral("aaaa"));
    find(QStringLiteral("aa"));
    EXPECT_EQ(current().selStart(), 0);
    findNext();
    EXPECT_EQ(current().selStart(), 2);
    EXPECT_EQ(form().nextSearchStart, 5);

    current().setText(QStringLiteral("abc ABC"));
    find(QStringLiteral("abc"));
    findNext();
    EXPECT_EQ(current().selStart(), 4);
    EXPECT_EQ(selected(), QStringLiteral("ABC"));
}

TEST_F(Search, TheSelectionCoversExactlyTheMatchAfterBreaksTabsAndAstralCharacters) {
    QTextCursor cursor(current().document());
    cursor.insertText(QStringLiteral("first paragraph"));
    for (int i = 0; i < 40; ++i)
        cursor.insertText(QStringLiteral("\n\tpara \U0001D11E %1").arg(i));
    cursor.insertText(QString(QChar::LineSeparator) + QStringLiteral("after a line break "));
    // Deseret capital and small letters fold to each other outside the BMP.
    cursor.insertText(QStringLiteral("\U00010400\U00010401 Target"));

    find(QStringLiteral("\U00010428\U00010429 tARGET"));
    EXPECT_EQ(selected(), QStringLiteral("\U00010400\U00010401 Target"));
    const QString text = current().text();
    EXPECT_EQ(current().selStart(), text.indexOf(QStringLiteral("\U00010400")));
    EXPECT_EQ(current().selLength(), 11) << "an astral character counts two";

    const QString tabbed = QStringLiteral("\tpara \U0001D11E 39");
    find(tabbed);
    EXPECT_EQ(selected(), tabbed);
    EXPECT_EQ(form().nextSearchStart, text.indexOf(tabbed) + 1 + tabbed.size());
}

TEST_F(Search, NoSearchIsActiveAfterACancelledOrFailedFind) {
    findNext();
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, QStringLiteral("Please use 'Find' instead."));

    current().setText(QStringLiteral("some text"));
    find(QStringLiteral("text"));
    EXPECT_EQ(form().PushButton13->foreColor(), 0u);
    find(QString()); // cancelled
    EXPECT_EQ(form().PushButton13->foreColor(), kGrey);
    EXPECT_TRUE(form().lastSearchString.isEmpty());
    findNext();
    EXPECT_EQ(shown().back().text, QStringLiteral("Please use 'Find' instead."));

    current().setSelStart(2);
    find(QStringLiteral("xyz"));
    EXPECT_EQ(shown().back().text, QStringLiteral("No match is found for the string 'xyz'"));
    EXPECT_EQ(shown().back().title, form().applicationTitle);
    EXPECT_EQ(shown().back().icon, MsgIcon::None);
    EXPECT_EQ(current().selStart(), 2);
    EXPECT_EQ(current().selLength(), 0);
    EXPECT_EQ(form().PushButton13->foreColor(), kGrey);
}

TEST_F(Search, FindNextGoesOnInTheNewlyCurrentDocument) {
    current().setText(QStringLiteral("one match here"));
    form().PushButton2_Click();
    current().setText(QStringLiteral("match match match"));
    form().TabControl1->select(0);
    find(QStringLiteral("match"));
    EXPECT_EQ(form().nextSearchStart, 10);

    form().TabControl1->select(1);
    findNext();
    EXPECT_EQ(current().selStart(), 12) << "the search goes on from the recorded position";
    EXPECT_EQ(form().TabControl1->selectedPosition(), 1);

    // Only the current document is searched.
    find(QStringLiteral("here"));
    EXPECT_EQ(shown().back().text, QStringLiteral("No match is found for the string 'here'"));
}

// The searched copy of Text must follow every kind of edit exactly, or a
// match would select the wrong characters.
TEST(DocumentTextCopy, FollowsEditsOfEveryKind) {
    QTextEdit edit;
    QTextDocument& doc = *edit.document();
    DocumentText& copy = DocumentText::of(doc);
    EXPECT_EQ(&copy, &DocumentText::of(doc));
    auto check = [&](const char* step) { ASSERT_EQ(copy.text(), rtf::documentText(doc)) << step; };
    check("empty");

    edit.setPlainText(QStringLiteral("alpha\nbeta\ngamma"));
    check("plain text");
    QTextCursor cursor(&doc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("\ndelta") + QChar(QChar::LineSeparator) +
                      QStringLiteral("epsilon"));
    check("insert with breaks");
    cursor.setPosition(3);
    cursor.setPosition(14, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    check("remove across paragraphs");
    cursor.insertTable(2, 2);
    cursor.insertText(QStringLiteral("cell"));
    check("table");
    doc.undo();
    doc.undo();
    check("undo");
    doc.redo();
    check("redo");
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.select(QTextCursor::Document);
    cursor.mergeCharFormat(bold);
    cursor.createList(QTextListFormat::ListDisc);
    check("formats and lists");

    QRandomGenerator random(6);
    const QString pieces[] = {QStringLiteral("x"),          QStringLiteral("\n"),
                              QStringLiteral("word "),      QString(QChar::LineSeparator),
                              QStringLiteral("\U0001F600"), QStringLiteral("\t")};
    for (int i = 0; i < 300; ++i) {
        const int length = doc.characterCount() - 1;
        cursor.setPosition(int(random.bounded(length + 1)));
        if (random.bounded(3) == 0) {
            cursor.setPosition(qMin(length, cursor.position() + int(random.bounded(8))),
                               QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        } else {
            cursor.insertText(pieces[random.bounded(6)]);
        }
        check("random edit");
    }
    doc.clear();
    check("clear");
}

TEST(DocumentTextCopy, FindReportsTextOffsetsAndNothingBeyondTheEnd) {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("ab\ncd AB"));
    DocumentText& copy = DocumentText::of(doc);
    EXPECT_EQ(copy.find(QStringLiteral("CD"), 0), 4);
    EXPECT_EQ(copy.find(QStringLiteral("ab"), 1), 7);
    EXPECT_EQ(copy.find(QStringLiteral("ab"), 9), -1);
    EXPECT_EQ(copy.find(QString(), 0), -1);
}

// Every search gives what searching Text itself gives: from every offset
// (the CR and the LF of a break included), for needles within a paragraph and
// across breaks, in a document with table cells, a picture and line breaks.
TEST(DocumentTextCopy, FindAgreesWithSearchingTextFromEveryOffset) {
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("Ab\tab") + QChar(QChar::LineSeparator) +
                      QStringLiteral("AB\nab \U00010400x"));
    cursor.insertImage(QStringLiteral("picture.png"));
    cursor.insertText(QStringLiteral("ab"));
    cursor.insertTable(1, 2);
    cursor.insertText(QStringLiteral("aB cell"));
    cursor.movePosition(QTextCursor::NextCell);
    cursor.insertText(QStringLiteral("ab"));
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("\nend ab"));
    DocumentText& copy = DocumentText::of(doc);
    const QString text = rtf::documentText(doc);
    ASSERT_EQ(copy.text(), text);
    ASSERT_TRUE(text.contains(QChar(QChar::ObjectReplacementCharacter)));
    const QString needles[] = {
        QStringLiteral("ab"),          QStringLiteral("b"),
        QStringLiteral("\U00010428X"), QString(QChar(QChar::ObjectReplacementCharacter)) + u'A',
        QStringLiteral("ab\r\nab"),    QStringLiteral("\nab"),
        QStringLiteral("b\r")};
    for (const QString& needle : needles)
        for (qsizetype from = 0; from <= text.size() + 1; ++from)
            ASSERT_EQ(copy.find(needle, from), text.indexOf(needle, from, Qt::CaseInsensitive))
                << needle.toStdString() << " from " << from;
}

// A long document is searched in stretches and halves; whichever part holds
// the first match, and wherever the parts meet, the match is Text's.
TEST(DocumentTextCopy, LongDocumentsGiveTheFirstMatchOfText) {
    QString plain;
    for (int i = 0; i < 3000; ++i)
        plain +=
            QStringLiteral("paragraph %1 of plain words and nothing else to find here\n").arg(i);
    QTextDocument doc;
    doc.setPlainText(plain);
    QTextCursor cursor(&doc);
    DocumentText& copy = DocumentText::of(doc);
    auto expectSame = [&](const QString& needle, const char* step) {
        const QString text = rtf::documentText(doc);
        for (const qsizetype from : {qsizetype(0), text.size() / 3, text.size() / 2 + 7})
            EXPECT_EQ(copy.find(needle, from), text.indexOf(needle, from, Qt::CaseInsensitive))
                << step << " from " << from;
    };
    expectSame(QStringLiteral("NEEDLE"), "nowhere");
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("needle"));
    expectSame(QStringLiteral("NEEDLE"), "at the end");
    // At the start of the paragraph after the middle, then also before it.
    cursor.setPosition(doc.findBlockByNumber(doc.blockCount() / 2 + 1).position());
    cursor.insertText(QStringLiteral("Needle"));
    expectSame(QStringLiteral("NEEDLE"), "after the middle");
    cursor.setPosition(doc.findBlockByNumber(doc.blockCount() / 2 - 1).position() + 3);
    cursor.insertText(QStringLiteral("nEEDLE"));
    expectSame(QStringLiteral("NEEDLE"), "both halves");
    expectSame(QStringLiteral("paragraph 23999"), "a plain word");
}

} // namespace
