#include "components/rtf/documentdump.h"
#include "tests/support/scripted.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

class Formatting : public ::testing::Test {
protected:
    void SetUp() override {
        harness.load();
        harness.showActive();
    }
    Form1& form() { return *harness.form; }
    RichTextSurface& current() { return form().currentSurface(); }
    void select(int start, int length) {
        current().setSelStart(start);
        current().setSelLength(length);
    }
    // A click into the text, as the surface reports it after placing the caret.
    void click() { form().RichTextBox1_Click(current().index()); }
    bool textHasFocus() { return current().widget()->hasFocus(); }
    void moveFocusAway() { form().Combo2->setFocus(); }
    std::vector<MessageRequest>& shown() { return harness.messages->shown; }

    FormHarness harness;
};

TEST_F(Formatting, AClickShowsTheSelectionsFormatInTheToolbar) {
    current().setText(QStringLiteral("heading"));
    select(0, 7);
    current().setSelFontSize(12);
    current().setSelBold(true);
    current().setSelItalic(true);
    current().setSelAlignment(2);
    select(3, 0);
    moveFocusAway();
    click();
    EXPECT_EQ(form().Combo1->currentText(), QStringLiteral("12"));
    EXPECT_TRUE(form().Check1->isChecked());
    EXPECT_TRUE(form().Check2->isChecked());
    EXPECT_FALSE(form().Check3->isChecked());
    EXPECT_FALSE(form().Check4->isChecked());
    EXPECT_TRUE(form().Option2->isChecked());
    EXPECT_EQ(form().Combo2->currentText(), QStringLiteral("Arial"));
    EXPECT_TRUE(textHasFocus());
}

// The toolbar only mirrors the selection: the mirror must not apply what it shows.
TEST_F(Formatting, MirroringTheSelectionKeepsItsFormats) {
    current().setText(QStringLiteral("bold plain"));
    select(0, 4);
    current().setSelBold(true);
    select(2, 0);
    click();
    ASSERT_TRUE(form().Check1->isChecked());
    select(0, 10); // Shift-click across bold and plain
    click();
    EXPECT_FALSE(form().Check1->isChecked());
    select(0, 4);
    EXPECT_EQ(current().selBold(), std::optional<bool>(true)) << "the bold part stays bold";

    select(5, 5);
    current().setSelFontSize(10.5);
    select(7, 0);
    click();
    EXPECT_EQ(form().Combo1->currentText(), QStringLiteral("10.5"));
    QTest::keyClicks(current().widget(), QStringLiteral("xy"));
    select(7, 2);
    EXPECT_EQ(current().selFontSize(), std::optional<double>(10.5));

    // A mixed selection shows empty boxes and applies nothing; a tab change
    // back to it mirrors the same way.
    select(0, 12);
    click();
    EXPECT_TRUE(form().Combo1->currentText().isEmpty());
    form().PushButton2_Click();
    form().TabControl1->select(0);
    EXPECT_TRUE(form().Combo1->currentText().isEmpty());
    select(0, 4);
    EXPECT_EQ(current().selBold(), std::optional<bool>(true));
    EXPECT_EQ(current().selFontSize(), std::optional<double>(9));
    EXPECT_TRUE(textHasFocus());
}

TEST_F(Formatting, TheSizeBoxAppliesWholePointsHalvesToEven) {
    current().setText(QStringLiteral("sized"));
    select(0, 5);
    const std::pair<const char*, double> cases[] = {
        {"12.5", 12}, {"13.5", 14}, {"12.7", 13}, {"14", 14}};
    for (const auto& [typed, points] : cases) {
        moveFocusAway();
        form().Combo1->setEditText(QString::fromLatin1(typed));
        EXPECT_EQ(current().selFontSize(), std::optional<double>(points)) << typed;
        EXPECT_EQ(form().Combo1->currentText(), QString::fromLatin1(typed))
            << "the box keeps the text";
        EXPECT_TRUE(textHasFocus());
    }
    // Not a number: the base font's size, applied as well.
    for (const char* typed : {"12x", ""}) {
        form().Combo1->setEditText(QStringLiteral("20"));
        form().Combo1->setEditText(QString::fromLatin1(typed));
        EXPECT_EQ(form().Combo1->currentText(), QStringLiteral("9")) << typed;
        EXPECT_EQ(current().selFontSize(), std::optional<double>(9)) << typed;
    }
    // Sizes the surface refuses are not applied, and nothing breaks.
    for (const char* typed : {"0", "-4", "99999", "1e300"}) {
        form().Combo1->setEditText(QString::fromLatin1(typed));
        EXPECT_EQ(current().selFontSize(), std::optional<double>(9)) << typed;
    }
}

TEST_F(Formatting, TheNameBoxAppliesAnyTextAndBothBoxesRestWhileLoading) {
    current().setText(QStringLiteral("named"));
    select(0, 5);
    form().Combo2->setEditText(QStringLiteral("Not In The List"));
    EXPECT_EQ(current().selFontName(), std::optional<QString>(QStringLiteral("Not In The List")));
    form().Combo2->setCurrentIndex(form().Combo2->findText(QStringLiteral("Courier New")));
    EXPECT_EQ(current().selFontName(), std::optional<QString>(QStringLiteral("Courier New")));

    form().loadingFlag = true;
    moveFocusAway();
    form().Combo2->setEditText(QStringLiteral("Times New Roman"));
    form().Combo1->setEditText(QStringLiteral("30"));
    form().Combo1->setEditText(QStringLiteral("not a size"));
    form().loadingFlag = false;
    EXPECT_EQ(current().selFontName(), std::optional<QString>(QStringLiteral("Courier New")));
    EXPECT_EQ(current().selFontSize(), std::optional<double>(9));
    EXPECT_EQ(form().Combo1->currentText(), QStringLiteral("not a size"));
    EXPECT_FALSE(textHasFocus());
}

TEST_F(Formatting, TheBoxesSetTheirAttributeOnTheWholeSelection) {
    current().setText(QStringLiteral("one\r\ntwo\r\nthree"));
    select(0, 2);
    current().setSelBold(true);
    select(0, 3);
    form().Check1->setChecked(true);
    EXPECT_EQ(current().selBold(), std::optional<bool>(true));
    form().Check3->setChecked(true);
    EXPECT_EQ(current().selBold(), std::optional<bool>(true)) << "underline leaves bold alone";
    EXPECT_EQ(current().selUnderline(), std::optional<bool>(true));
    form().Check1->setChecked(false);
    EXPECT_EQ(current().selBold(), std::optional<bool>(false));

    select(1, 10); // touches all three paragraphs
    moveFocusAway();
    form().Check4->setChecked(true);
    EXPECT_TRUE(textHasFocus());
    for (QTextBlock block = current().document()->begin(); block.isValid(); block = block.next())
        EXPECT_NE(block.textList(), nullptr) << block.text().toStdString();
    EXPECT_EQ(current().selBullet(), std::optional<bool>(true));
    form().Check4->setChecked(false);
    for (QTextBlock block = current().document()->begin(); block.isValid(); block = block.next())
        EXPECT_EQ(block.textList(), nullptr);

    // Italic with nothing selected applies to what is typed next.
    select(3, 0);
    form().Check2->setChecked(true);
    QTest::keyClicks(current().widget(), QStringLiteral("!"));
    select(3, 1);
    EXPECT_EQ(current().selItalic(), std::optional<bool>(true));
}

TEST_F(Formatting, AlignmentAndIndentSteps) {
    current().setText(QStringLiteral("first\r\nsecond"));
    select(0, 0);
    form().Option2->setChecked(true);
    EXPECT_EQ(current().selAlignment(), std::optional<qint16>(2));
    EXPECT_EQ(current().document()->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    form().Option3->setChecked(true);
    EXPECT_EQ(current().selAlignment(), std::optional<qint16>(1));
    EXPECT_EQ(current().document()->lastBlock().blockFormat().alignment() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignLeft)
        << "only the caret's paragraph";

    const int stepsAndIndents[][2] = {{5, 500}, {5, 1000}, {6, 500}, {6, 0}, {6, 0}};
    for (const auto& [button, indent] : stepsAndIndents) {
        moveFocusAway();
        (button == 5 ? form().PushButton5 : form().PushButton6)->click();
        EXPECT_EQ(current().selIndent(), std::optional<qint32>(indent));
        EXPECT_TRUE(textHasFocus());
    }
    // Paragraphs of different indents each take the step.
    form().PushButton5->click();
    select(0, 8);
    form().PushButton5->click();
    select(0, 0);
    EXPECT_EQ(current().selIndent(), std::optional<qint32>(1000));
    select(7, 0);
    EXPECT_EQ(current().selIndent(), std::optional<qint32>(500));
    EXPECT_TRUE(shown().empty());
}

TEST_F(Formatting, ColoursComeFromTheDialogComponent) {
    current().setText(QStringLiteral("red word"));
    select(0, 3);
    harness.dialogs->colorAnswers.push_back(OleColor(0x0000FF));
    moveFocusAway();
    form().PushButton9->click();
    EXPECT_EQ(current().selColor(), std::optional<OleColor>(0x0000FF));
    select(4, 4);
    EXPECT_EQ(current().selColor(), std::optional<OleColor>(0));
    EXPECT_TRUE(textHasFocus());

    harness.dialogs->colorAnswers.push_back(OleColor(0xFF0000)); // blue
    form().PushButton10->click();
    EXPECT_EQ(current().backColor(), 0xFF0000u);

    form().PushButton2_Click();
    harness.dialogs->colorAnswers.push_back(OleColor(0x00FFFF)); // yellow
    form().PushButton10->click();
    EXPECT_EQ(current().backColor(), 0x00FFFFu);
    EXPECT_EQ((*form().RichTextBox1)[0].backColor(), 0xFF0000u) << "each document keeps its own";

    // The font dialog leaves its option flags for the next colour dialog.
    form().PushButton4->click();
    form().PushButton9->click();
    EXPECT_EQ(harness.dialogs->colorRequests.back().second, 3);
}

TEST_F(Formatting, TheFontDialogAppliesItsChoiceAndMirrorsItQuietly) {
    current().setText(QStringLiteral("styled"));
    select(0, 6);
    current().setSelFontSize(12);
    current().setSelBold(true);
    current().setSelUnderline(true);
    harness.dialogs->fontAnswers.push_back(
        FontChoice{QStringLiteral("Times New Roman"), 10.5, false, true, true});
    moveFocusAway();
    form().PushButton4->click();

    ASSERT_EQ(harness.dialogs->fontRequests.size(), 1u);
    const auto& [initial, flags] = harness.dialogs->fontRequests[0];
    EXPECT_EQ(flags, 3);
    EXPECT_EQ(initial.name, QStringLiteral("Arial"));
    EXPECT_EQ(initial.size, 12);
    EXPECT_TRUE(initial.bold);
    EXPECT_TRUE(initial.underline);
    EXPECT_EQ(current().selFontName(), std::optional<QString>(QStringLiteral("Times New Roman")));
    EXPECT_EQ(current().selFontSize(), std::optional<double>(10.5));
    EXPECT_EQ(current().selBold(), std::optional<bool>(false));
    EXPECT_EQ(current().selItalic(), std::optional<bool>(true));
    EXPECT_EQ(current().selUnderline(), std::optional<bool>(true));
    EXPECT_EQ(form().Combo1->currentText(), QStringLiteral("10.5"));
    EXPECT_EQ(form().Combo2->currentText(), QStringLiteral("Times New Roman"));
    EXPECT_FALSE(form().Check1->isChecked());
    EXPECT_TRUE(form().Check2->isChecked());
    EXPECT_TRUE(form().Check3->isChecked());
    EXPECT_TRUE(textHasFocus());
    EXPECT_TRUE(shown().empty());

    // Cancelled: nothing changes.
    form().PushButton4->click();
    EXPECT_EQ(current().selFontName(), std::optional<QString>(QStringLiteral("Times New Roman")));
    EXPECT_EQ(current().selFontSize(), std::optional<double>(10.5));
}

// What the toolbar sets must survive a save and a reading back.
TEST_F(Formatting, FormatsFromEveryControlSurviveSaveAndOpen) {
    current().setText(QStringLiteral("Title\r\nfirst item\r\nsecond item\r\nbody text"));
    select(0, 5);
    form().Combo2->setEditText(QStringLiteral("Times New Roman"));
    form().Combo1->setEditText(QStringLiteral("18"));
    form().Check1->setChecked(true);
    form().Option2->setChecked(true);
    harness.dialogs->colorAnswers.push_back(OleColor(0x0000C0));
    form().PushButton9->click();
    select(7, 15);
    form().Check4->setChecked(true);
    form().Check2->setChecked(true);
    select(30, 4);
    form().Check3->setChecked(true);
    form().PushButton5->click();
    form().Option3->setChecked(true);
    harness.dialogs->fontAnswers.push_back(
        FontChoice{QStringLiteral("Courier New"), 11, true, false, true});
    form().PushButton4->click();
    ASSERT_TRUE(shown().empty());

    const QString path = harness.folder.filePath(QStringLiteral("formatted.rtf"));
    harness.dialogs->saveAnswers.push_back(FileDialogResult{path, 0});
    form().PushButton7_Click();
    harness.dialogs->openAnswers.push_back(FileDialogResult{path, 0});
    form().PushButton1_Click();
    ASSERT_EQ(form().TabControl1->count(), 2);
    EXPECT_EQ(rtf::dumpDocument(*current().document()),
              rtf::dumpDocument(*(*form().RichTextBox1)[0].document()));
}

} // namespace
