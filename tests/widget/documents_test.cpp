#include "tests/support/scripted.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

// Adds a document the way the commands that create documents do: count
// first, then the surface, then its tab after the last one, storing its index.
RichTextSurface& addDocument(Form1& form, const QString& caption) {
    form.loadingFlag = true;
    form.documentCount = qint16(form.documentCount + 1);
    RichTextSurface& surface = form.RichTextBox1->load(form.documentCount - 1);
    surface.setTag(QStringLiteral("0|"));
    const int position = form.TabControl1->insertItem(form.documentCount - 1, caption);
    form.TabControl1->setValue(position, qint16(form.documentCount - 1));
    form.loadingFlag = false;
    return surface;
}

RichTextSurface& surface(Form1& form, int index) {
    return (*form.RichTextBox1)[index];
}

TEST(ChangeTracking, TypingMarksTheTabOnceAndSetsTheFlag) {
    FormHarness harness;
    Form1& form = harness.load();
    form.show();
    QTest::keyClicks(surface(form, 0).widget(), QStringLiteral("Hello"));
    EXPECT_EQ(surface(form, 0).text(), QStringLiteral("Hello"));
    EXPECT_EQ(form.TabControl1->caption(0), QStringLiteral("Untitled1.rtf*"));
    EXPECT_EQ(surface(form, 0).tag(), QStringLiteral("1|"));
    QTest::keyClicks(surface(form, 0).widget(), QStringLiteral(" again"));
    EXPECT_EQ(form.TabControl1->caption(0), QStringLiteral("Untitled1.rtf*"));
}

TEST(ChangeTracking, KeepsThePathEvenWhenItHoldsTheSeparator) {
    FormHarness harness;
    Form1& form = harness.load();
    surface(form, 0).setTag(QStringLiteral("0|/home/me/a|b.rtf"));
    form.TabControl1->setCaption(0, QStringLiteral("a|b.rtf"));
    surface(form, 0).setText(QStringLiteral("x"));
    EXPECT_EQ(surface(form, 0).tag(), QStringLiteral("1|/home/me/a|b.rtf"));
    EXPECT_EQ(form.TabControl1->caption(0), QStringLiteral("a|b.rtf*"));
}

TEST(ChangeTracking, FormattingIsAChange) {
    FormHarness harness;
    Form1& form = harness.load();
    form.loadingFlag = true;
    surface(form, 0).setText(QStringLiteral("some text"));
    form.loadingFlag = false;
    surface(form, 0).setSelStart(0);
    surface(form, 0).setSelLength(4);
    surface(form, 0).setSelBold(true);
    EXPECT_EQ(form.TabControl1->caption(0), QStringLiteral("Untitled1.rtf*"));
}

TEST(ChangeTracking, ChangesWhileLoadingMarkNothing) {
    FormHarness harness;
    Form1& form = harness.load();
    form.loadingFlag = true;
    surface(form, 0).setText(QStringLiteral("filled by a command"));
    form.loadingFlag = false;
    EXPECT_EQ(form.TabControl1->caption(0), QStringLiteral("Untitled1.rtf"));
    EXPECT_EQ(surface(form, 0).tag(), QStringLiteral("0|"));
}

TEST(ChangeTracking, MarksTheSelectedTab) {
    FormHarness harness;
    Form1& form = harness.load();
    addDocument(form, QStringLiteral("Untitled2.rtf"));
    form.TabControl1->select(1);
    surface(form, 1).setText(QStringLiteral("x"));
    EXPECT_EQ(form.TabControl1->caption(1), QStringLiteral("Untitled2.rtf*"));
    EXPECT_EQ(form.TabControl1->caption(0), QStringLiteral("Untitled1.rtf"));
    EXPECT_EQ(surface(form, 0).tag(), QStringLiteral("0|"));
}

TEST(TabSelection, ShowsOnlyTheSelectedDocumentAndHidesThoseOfClosedTabs) {
    FormHarness harness;
    Form1& form = harness.load();
    harness.showActive();
    addDocument(form, QStringLiteral("Untitled2.rtf"));
    addDocument(form, QStringLiteral("Untitled3.rtf"));
    form.TabControl1->select(1);
    EXPECT_TRUE(surface(form, 1).isVisible());
    EXPECT_FALSE(surface(form, 0).isVisible());

    // Close the middle document: its tab goes, its surface stays.
    form.loadingFlag = true;
    form.TabControl1->removeItem(1);
    form.loadingFlag = false;
    addDocument(form, QStringLiteral("Untitled4.rtf"));
    EXPECT_EQ(form.documentCount, 4);
    EXPECT_EQ(form.TabControl1->caption(2), QStringLiteral("Untitled4.rtf"));
    EXPECT_EQ(form.TabControl1->value(2), 3);

    form.TabControl1->select(2);
    EXPECT_TRUE(surface(form, 3).isVisible());
    form.TabControl1->select(0);
    EXPECT_TRUE(surface(form, 0).isVisible());
    for (int index : {1, 2, 3})
        EXPECT_FALSE(surface(form, index).isVisible()) << "surface " << index;
    EXPECT_TRUE(surface(form, 0).widget()->hasFocus());
}

TEST(TabSelection, RefreshesTheToolbarFromTheShownSelection) {
    FormHarness harness;
    Form1& form = harness.load();
    harness.showActive();
    RichTextSurface& second = addDocument(form, QStringLiteral("Untitled2.rtf"));
    form.loadingFlag = true;
    second.setText(QStringLiteral("heading"));
    second.setSelStart(0);
    second.setSelLength(7);
    second.setSelFontSize(12);
    second.setSelBold(true);
    second.setSelItalic(true);
    second.setSelAlignment(2);
    second.setSelFontName(QStringLiteral("Courier New"));
    second.setSelStart(3);
    form.loadingFlag = false;

    form.TabControl1->select(1);
    EXPECT_EQ(form.Combo1->currentText(), QStringLiteral("12"));
    EXPECT_TRUE(form.Check1->isChecked());
    EXPECT_TRUE(form.Check2->isChecked());
    EXPECT_FALSE(form.Check3->isChecked());
    EXPECT_FALSE(form.Check4->isChecked());
    EXPECT_TRUE(form.Option2->isChecked());
    EXPECT_EQ(form.Combo2->currentText(), QStringLiteral("Courier New"));
    EXPECT_TRUE(second.widget()->hasFocus());

    // Back to the plain first document; an alignment it has not got (justified)
    // would leave the options as they are, left alignment selects Left.
    form.TabControl1->select(0);
    EXPECT_EQ(form.Combo1->currentText(), QStringLiteral("9"));
    EXPECT_FALSE(form.Check1->isChecked());
    EXPECT_TRUE(form.Option1->isChecked());
    EXPECT_EQ(form.Combo2->currentText(), QStringLiteral("Arial"));
}

TEST(Toolbar, ClickInTheTextRefreshesAndMixedValuesShowEmptyBoxes) {
    FormHarness harness;
    Form1& form = harness.load();
    form.show();
    RichTextSurface& doc = surface(form, 0);
    doc.setText(QStringLiteral("small\r\nlarge"));
    doc.setSelStart(7);
    doc.setSelLength(5);
    doc.setSelFontSize(10.5);
    doc.setSelAlignment(1);
    doc.setSelFontName(QStringLiteral("Times New Roman"));

    // A click in "large" shows its format.
    QTextEdit* edit = doc.widget();
    const QRect caret = edit->cursorRect(QTextCursor(edit->document()->findBlockByNumber(1)));
    QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, caret.center() + QPoint(8, 0));
    EXPECT_EQ(form.Combo1->currentText(), QStringLiteral("10.5"));
    EXPECT_TRUE(form.Option3->isChecked());
    EXPECT_EQ(form.Combo2->currentText(), QStringLiteral("Times New Roman"));

    // A selection over both paragraphs mixes size, font and alignment.
    doc.setSelStart(0);
    doc.setSelLength(12);
    form.RichTextBox1_Click(0);
    EXPECT_EQ(form.Combo1->currentText(), QString());
    EXPECT_EQ(form.Combo2->currentText(), QString());
    EXPECT_TRUE(form.Option3->isChecked()) << "no single alignment keeps the options";
}

TEST(Toolbar, MovingTheCaretWithTheKeyboardLeavesTheToolbar) {
    FormHarness harness;
    Form1& form = harness.load();
    form.show();
    RichTextSurface& doc = surface(form, 0);
    doc.setText(QStringLiteral("bold plain"));
    doc.setSelStart(0);
    doc.setSelLength(4);
    doc.setSelBold(true);
    doc.setSelStart(2);
    form.RichTextBox1_Click(0);
    EXPECT_TRUE(form.Check1->isChecked());
    QTest::keyClick(doc.widget(), Qt::Key_End);
    EXPECT_TRUE(form.Check1->isChecked());
}

} // namespace
