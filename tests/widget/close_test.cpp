#include "app/cursorfile.h"
#include "components/runtimeerror.h"
#include "tests/support/scripted.h"
#include "tests/support/testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>
#include <limits>

namespace {

class Closing : public ::testing::Test {
protected:
    void SetUp() override { harness.load(); }
    Form1& form() { return *harness.form; }
    QString path(const QString& name) const { return harness.folder.filePath(name); }
    QString caption(int position) { return form().TabControl1->caption(position); }
    void type(const QString& text) { QTest::keyClicks(form().currentSurface().widget(), text); }
    void answer(MsgResult result) { harness.messages->answers.push_back(result); }
    const std::vector<MessageRequest>& asked() const { return harness.messages->shown; }
    // A document read from a file of its own, then changed.
    void openChanged(const QString& name) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("on disk\r\n");
        file.close();
        harness.dialogs->openAnswers.push_back(FileDialogResult{path(name), 0});
        form().PushButton1_Click();
        type(QStringLiteral("edit "));
    }

    FormHarness harness;
};

TEST_F(Closing, AnUnchangedDocumentClosesWithoutAQuestion) {
    form().PushButton2_Click();
    form().PushButton11->click();
    EXPECT_TRUE(asked().empty());
    ASSERT_EQ(form().TabControl1->count(), 1);
    EXPECT_EQ(caption(0), QStringLiteral("Untitled1.rtf"));
    EXPECT_TRUE(form().currentSurface().isVisible());
    EXPECT_FALSE((*form().RichTextBox1)[1].isVisible()) << "the closed surface stays, hidden";
}

TEST_F(Closing, NoClosesAndLeavesTheFileYesSavesThenCloses) {
    openChanged(QStringLiteral("a.txt"));
    answer(MsgResult::No);
    form().PushButton11_Click();
    ASSERT_EQ(asked().size(), 1u);
    EXPECT_EQ(asked()[0].text,
              QStringLiteral("File has been changed. \r\nDo you want to save changes?"));
    EXPECT_EQ(asked()[0].title, QStringLiteral("Save Changes"));
    EXPECT_EQ(asked()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(asked()[0].defaultButton, MsgResult::Yes);
    EXPECT_EQ(asked()[0].icon, MsgIcon::Question);
    EXPECT_EQ(form().TabControl1->count(), 1);
    EXPECT_EQ(readAll(path(QStringLiteral("a.txt"))), "on disk\r\n");

    openChanged(QStringLiteral("b.txt"));
    answer(MsgResult::Yes);
    form().PushButton11_Click();
    EXPECT_EQ(form().TabControl1->count(), 1);
    EXPECT_EQ(readAll(path(QStringLiteral("b.txt"))), "edit on disk\r\n");
    EXPECT_TRUE(harness.dialogs->saveRequests.empty());
}

TEST_F(Closing, YesWithoutTheSaveHappeningKeepsTheDocumentOpen) {
    form().PushButton2_Click();
    type(QStringLiteral("precious"));
    answer(MsgResult::Yes);
    harness.dialogs->saveAnswers.push_back(std::nullopt); // the save dialog is cancelled
    form().PushButton11_Click();
    ASSERT_EQ(form().TabControl1->count(), 2);
    EXPECT_EQ(caption(1), QStringLiteral("Untitled2.rtf*"));
    EXPECT_EQ(form().currentSurface().text(), QStringLiteral("precious"));

    answer(MsgResult::Yes); // and a save that fails
    harness.dialogs->saveAnswers.push_back(
        FileDialogResult{path(QStringLiteral("missing/x.rtf")), 0});
    form().PushButton11_Click();
    EXPECT_EQ(form().TabControl1->count(), 2);
    EXPECT_EQ(caption(1), QStringLiteral("Untitled2.rtf*"));
    EXPECT_EQ(asked().size(), 3u); // two questions and the write's report
}

TEST_F(Closing, TheLastTabIsReplacedAndIndexesStayFresh) {
    form().Check1->setChecked(true);
    form().Combo1->setEditText(QStringLiteral("14"));
    form().PushButton11_Click();
    ASSERT_EQ(form().TabControl1->count(), 1);
    EXPECT_EQ(caption(0), QStringLiteral("Untitled2.rtf"));
    EXPECT_EQ(form().TabControl1->value(0), 1);
    EXPECT_EQ(form().Combo1->currentText(), QStringLiteral("9"));
    EXPECT_EQ(form().Combo2->currentText(), QStringLiteral("Arial"));
    EXPECT_FALSE(form().Check1->isChecked());
    EXPECT_TRUE(form().Option1->isChecked());
    EXPECT_FALSE(form().loadingFlag);

    form().PushButton2_Click(); // Untitled3.rtf at index 2
    form().PushButton2_Click(); // Untitled4.rtf at index 3
    form().TabControl1->select(1);
    form().PushButton11_Click();
    form().PushButton2_Click();
    ASSERT_EQ(form().TabControl1->count(), 3);
    EXPECT_EQ(caption(2), QStringLiteral("Untitled5.rtf"));
    EXPECT_EQ(form().TabControl1->value(0), 1);
    EXPECT_EQ(form().TabControl1->value(1), 3);
    EXPECT_EQ(form().TabControl1->value(2), 4);
}

TEST_F(Closing, CloseAllAsksOnceAndNoChangesNothing) {
    openChanged(QStringLiteral("a.txt"));
    form().PushButton2_Click();
    type(QStringLiteral("x"));
    answer(MsgResult::No);
    form().PushButton12->click();
    ASSERT_EQ(asked().size(), 1u);
    EXPECT_EQ(asked()[0].text,
              QStringLiteral("There are some file(s) that has been changed.\r\n"
                             "Do you wish to continue closing all files without saving?"));
    EXPECT_EQ(asked()[0].title, QStringLiteral("Continue Close"));
    EXPECT_EQ(asked()[0].defaultButton, MsgResult::Yes);
    EXPECT_EQ(form().TabControl1->count(), 3);
    EXPECT_EQ(caption(1), QStringLiteral("a.txt*"));
    EXPECT_EQ(caption(2), QStringLiteral("Untitled3.rtf*"));
}

TEST_F(Closing, CloseAllYesDiscardsEverythingAndStartsOverAtUntitled1) {
    openChanged(QStringLiteral("a.txt"));
    form().PushButton2_Click();
    form().PushButton2_Click();
    form().TabControl1->select(2);
    form().PushButton11_Click(); // a hidden surface that Close All must release too
    answer(MsgResult::Yes);
    form().PushButton12_Click();
    EXPECT_EQ(asked().size(), 1u);
    EXPECT_EQ(readAll(path(QStringLiteral("a.txt"))), "on disk\r\n");
    ASSERT_EQ(form().TabControl1->count(), 1);
    EXPECT_EQ(caption(0), QStringLiteral("Untitled1.rtf"));
    EXPECT_EQ(form().RichTextBox1->count(), 1);
    EXPECT_EQ(form().documentCount, 1);
    EXPECT_EQ(form().currentSurface().text(), QString());
    EXPECT_EQ(form().currentSurface().tag(), QStringLiteral("0|"));
    EXPECT_TRUE(form().currentSurface().isVisible());

    form().PushButton2_Click();
    EXPECT_EQ(caption(1), QStringLiteral("Untitled2.rtf"));
    form().TabControl1->select(0);
    harness.dialogs->saveAnswers.push_back(std::nullopt);
    form().PushButton7_Click();
    EXPECT_EQ(harness.dialogs->saveRequests.size(), 1u) << "no path is left behind";
}

// At the 16-bit document limit no new document can replace the last one:
// the set starts over as Close All leaves it, never with an empty strip.
TEST_F(Closing, TheLastTabAtTheDocumentLimitStartsOverInsteadOfLeavingNoTab) {
    form().PushButton2_Click();
    form().documentCount = std::numeric_limits<qint16>::max();
    form().PushButton11_Click();
    form().PushButton11_Click(); // the last tab
    EXPECT_TRUE(asked().empty()) << asked().front().text.toStdString();
    ASSERT_EQ(form().TabControl1->count(), 1);
    EXPECT_EQ(caption(0), QStringLiteral("Untitled1.rtf"));
    EXPECT_EQ(form().documentCount, 1);
    EXPECT_EQ(form().RichTextBox1->count(), 1);
    EXPECT_TRUE(form().currentSurface().isVisible());
    form().PushButton11_Click(); // and again: an ordinary replacement now
    EXPECT_TRUE(asked().empty());
    EXPECT_EQ(caption(0), QStringLiteral("Untitled2.rtf"));
}

// Close All with a question that cannot be shown, or a search that fails,
// keeps every document.
TEST_F(Closing, CloseAllKeepsEverythingWhenItsQuestionFails) {
    type(QStringLiteral("keep me"));
    harness.messages->onShow = [](const MessageRequest& request) {
        if (request.title == QStringLiteral("Continue Close"))
            throw RuntimeError(QStringLiteral("Out of memory"));
    };
    form().PushButton12_Click();
    ASSERT_EQ(asked().size(), 2u);
    EXPECT_EQ(asked()[1].title, QStringLiteral("Application Error"));
    EXPECT_EQ(form().currentSurface().text(), QStringLiteral("keep me"));
    EXPECT_EQ(caption(0), QStringLiteral("Untitled1.rtf*"));
}

// "&" in a file name is part of the caption, not a keyboard mnemonic.
TEST_F(Closing, AnAmpersandInACaptionIsShownAsItIsAndSwitchesNoTab) {
    harness.showActive();
    form().PushButton2_Click();
    form().TabControl1->setCaption(0, QStringLiteral("R&D.rtf"));
    EXPECT_EQ(caption(0), QStringLiteral("R&D.rtf"));
    const QTabBar* bar = form().TabControl1->findChild<QTabBar*>();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->tabText(0), QStringLiteral("R&&D.rtf")) << "shown with its \"&\"";
    EXPECT_EQ(form().TabControl1->insertItem(5, QStringLiteral("A&B")), 2);
    EXPECT_EQ(caption(2), QStringLiteral("A&B"));
    form().TabControl1->select(1);
    QTest::keyClick(form().windowHandle(), Qt::Key_D, Qt::AltModifier);
    QTest::keyClick(form().windowHandle(), Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(form().TabControl1->selectedPosition(), 1);
}

TEST_F(Closing, LeavingAsksOnceForChangedTabsAndNeverForClosedOnes) {
    form().show();
    form().close();
    EXPECT_TRUE(asked().empty());
    EXPECT_EQ(harness.programEnds, 1);

    form().show();
    form().PushButton2_Click();
    type(QStringLiteral("closed unsaved"));
    answer(MsgResult::No);
    form().PushButton11_Click(); // Save Changes? No: gone without a tab
    form().close();
    EXPECT_EQ(asked().size(), 1u) << "a closed document takes no part";
    EXPECT_EQ(harness.programEnds, 2);

    form().show();
    openChanged(QStringLiteral("a.txt"));
    form().PushButton2_Click();
    type(QStringLiteral("y"));
    answer(MsgResult::No);
    EXPECT_FALSE(form().close());
    ASSERT_EQ(asked().size(), 2u);
    EXPECT_EQ(asked()[1].text, QStringLiteral("Exit without saving?"));
    EXPECT_EQ(asked()[1].title, QStringLiteral("Continue Exit"));
    EXPECT_EQ(asked()[1].icon, MsgIcon::Question);
    EXPECT_EQ(harness.programEnds, 2);
    EXPECT_TRUE(form().isVisible());
    EXPECT_FALSE(form().Timer1.isActive()) << "the timer stays stopped";

    answer(MsgResult::Yes);
    form().close();
    EXPECT_EQ(asked().size(), 3u);
    EXPECT_EQ(harness.programEnds, 3);
    EXPECT_EQ(readAll(path(QStringLiteral("a.txt"))), "on disk\r\n");
}

TEST_F(Closing, WithoutX11TheShortcutsWorkInsideTheApplicationAndCtrlASelectsNothing) {
    harness.showActive();
    form().Timer1_Timer();
    ASSERT_FALSE(form().shortcuts.systemWide());
    EXPECT_EQ(form().shortcuts.active(), (QList<char>{'N', 'O', 'S', 'A', 'W'}));
    QWidget* text = form().currentSurface().widget();
    QTest::keyClicks(text, QStringLiteral("abc"));
    QTest::keyClick(text, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier); // no shortcut
    QCoreApplication::processEvents();
    EXPECT_EQ(form().TabControl1->count(), 2);

    form().TabControl1->select(0);
    QTest::keyClick(form().currentSurface().widget(), Qt::Key_A, Qt::ControlModifier);
    QCoreApplication::processEvents();
    ASSERT_EQ(harness.dialogs->saveRequests.size(), 1u) << "Ctrl+A is Save As";
    EXPECT_EQ(form().currentSurface().selLength(), 0) << "and never selects all";
}

TEST_F(Closing, TheHandShowsOverToolbarControlsAndTheArrowOverBareWindow) {
    form().MouseIcon = QCursor(Qt::PointingHandCursor);
    form().show();
    QTest::mouseMove(form().PushButton7);
    QTest::mouseMove(form().PushButton7, QPoint(5, 5));
    EXPECT_EQ(form().MousePointer, 99);
    EXPECT_EQ(form().cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(&form(), QPoint(2, form().height() - 2));
    EXPECT_EQ(form().MousePointer, 0);
    QTest::mouseMove(form().Check4, QPoint(3, 3));
    EXPECT_EQ(form().MousePointer, 99);
    QTest::mouseMove(form().TabControl1, QPoint(3, 3));
    EXPECT_EQ(form().MousePointer, 99) << "the tab strip leaves the pointer alone";
}

TEST(HandCursor, TheShippedCursorLoadsWithItsHotspotAtTheFingertip) {
    const QCursor hand = loadCursorFile(QStringLiteral(FERROTAB_HAND_CURSOR));
    EXPECT_EQ(hand.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(hand.hotSpot(), QPoint(6, 1));
    const QImage image = hand.pixmap().toImage();
    EXPECT_EQ(qAlpha(image.pixel(0, 31)), 0) << "clear outside the hand";
    EXPECT_EQ(image.pixel(6, 2), qRgba(255, 255, 255, 255)) << "white inside the finger";
    EXPECT_EQ(image.pixel(5, 0), qRgba(0, 0, 0, 255)) << "black outline";
}

} // namespace
