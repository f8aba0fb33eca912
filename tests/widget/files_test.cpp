#include "components/rtf/documentfile.h"
#include "documents/filecontent.h"
#include "tests/support/scripted.h"
#include "tests/support/testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

RichTextSurface& surface(Form1& form, int index) {
    return (*form.RichTextBox1)[index];
}

// Types into the current document as the user would, so that it is marked changed.
void type(Form1& form, const QString& text) {
    QTest::keyClicks(form.currentSurface().widget(), text);
}

class Files : public ::testing::Test {
protected:
    void SetUp() override { harness.load(); }
    Form1& form() { return *harness.form; }
    QString path(const QString& name) const { return harness.folder.filePath(name); }
    void answerSave(const QString& name) {
        harness.dialogs->saveAnswers.push_back(FileDialogResult{name, 0});
    }
    void answerOpen(const QString& name) {
        harness.dialogs->openAnswers.push_back(FileDialogResult{name, 0});
    }
    void cancelSave() { harness.dialogs->saveAnswers.push_back(std::nullopt); }
    const std::vector<MessageRequest>& reports() const { return harness.messages->shown; }
    QString caption(int position) { return form().TabControl1->caption(position); }

    FormHarness harness;
};

TEST_F(Files, NewAddsAnUnchangedDocumentAfterTheLastTabWithTheStartingFormat) {
    form().show();
    form().Check1->setChecked(true);
    form().Combo1->setEditText(QStringLiteral("20"));
    form().PushButton2->click();
    ASSERT_EQ(form().TabControl1->count(), 2);
    EXPECT_EQ(caption(1), QStringLiteral("Untitled2.rtf"));
    EXPECT_EQ(form().TabControl1->selectedPosition(), 1);
    EXPECT_EQ(form().TabControl1->value(1), 1);
    EXPECT_EQ(form().documentCount, 2);
    EXPECT_FALSE(form().loadingFlag);
    EXPECT_EQ(surface(form(), 1).tag(), QStringLiteral("0|"));
    EXPECT_TRUE(surface(form(), 1).widget()->isVisible());
    EXPECT_EQ(form().Combo1->currentText(), QStringLiteral("9"));
    EXPECT_EQ(form().Combo2->currentText(), QStringLiteral("Arial"));
    EXPECT_FALSE(form().Check1->isChecked());
    EXPECT_TRUE(form().Option1->isChecked());

    type(form(), QStringLiteral("first"));
    RichTextSurface& fresh = surface(form(), 1);
    fresh.setSelStart(0);
    fresh.setSelLength(5);
    EXPECT_EQ(fresh.selFontName(), std::optional<QString>(QStringLiteral("Arial")));
    EXPECT_EQ(fresh.selFontSize(), std::optional<double>(9));
    EXPECT_EQ(fresh.selBold(), std::optional<bool>(false));
    EXPECT_EQ(fresh.selColor(), std::optional<OleColor>(0));
    EXPECT_EQ(caption(1), QStringLiteral("Untitled2.rtf*"));
    EXPECT_EQ(caption(0), QStringLiteral("Untitled1.rtf"));
}

TEST_F(Files, CaptionNumbersFollowTheCountAcrossGapsInTheIndexes) {
    form().PushButton2_Click();
    form().PushButton2_Click();
    form().TabControl1->removeItem(1); // as Close leaves it: count 3, two tabs
    form().PushButton2_Click();
    ASSERT_EQ(form().TabControl1->count(), 3);
    EXPECT_EQ(caption(2), QStringLiteral("Untitled4.rtf"));
    EXPECT_EQ(form().TabControl1->value(2), 3);
    EXPECT_EQ(form().TabControl1->selectedPosition(), 2);
}

TEST_F(Files, AtTheDocumentLimitNewAndOpenReportAndTouchNothing) {
    surface(form(), 0).setText(QStringLiteral("keep me"));
    const QString tag = surface(form(), 0).tag();
    form().documentCount = 32767;
    form().PushButton2_Click();
    writeFile(path(QStringLiteral("a.txt")), "text");
    answerOpen(path(QStringLiteral("a.txt")));
    form().PushButton1_Click();
    ASSERT_EQ(reports().size(), 2u);
    EXPECT_TRUE(reports()[0].text.startsWith(
        QStringLiteral("Overflow\r\nin Ferrotab2017/04/05.Form1.PushButton2_Click at line 102")));
    EXPECT_TRUE(reports()[1].text.startsWith(
        QStringLiteral("Overflow\r\nin Ferrotab2017/04/05.Form1.PushButton1_Click at line 112")));
    EXPECT_EQ(form().documentCount, 32767);
    EXPECT_EQ(form().TabControl1->count(), 1);
    EXPECT_EQ(surface(form(), 0).text(), QStringLiteral("keep me"));
    EXPECT_EQ(surface(form(), 0).tag(), tag);
    EXPECT_FALSE(form().loadingFlag);
}

TEST_F(Files, OpenReadsEachFileIntoANewIndependentDocument) {
    const QString file = path(QStringLiteral("letter.rtf"));
    writeFile(
        file,
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Dear {\\b reader}\\par second\\par}");
    form().CommonDialog1.FilterIndex = 2; // left by an earlier dialog, not Open's to set
    answerOpen(file);
    answerOpen(file);
    form().PushButton1->click();
    form().PushButton1_Click();

    ASSERT_EQ(harness.dialogs->openRequests.size(), 2u);
    const FileDialogRequest& request = harness.dialogs->openRequests[0];
    EXPECT_EQ(request.title, QStringLiteral("Select File"));
    EXPECT_EQ(request.fileName, QString());
    ASSERT_EQ(request.filters.size(), 2);
    EXPECT_EQ(request.filters[1].label, QStringLiteral("Text File (*.txt)"));
    EXPECT_EQ(request.selectedFilter, 1);

    ASSERT_EQ(form().TabControl1->count(), 3);
    EXPECT_EQ(caption(0), QStringLiteral("Untitled1.rtf"));
    EXPECT_EQ(caption(1), QStringLiteral("letter.rtf"));
    EXPECT_EQ(caption(2), QStringLiteral("letter.rtf"));
    EXPECT_EQ(form().TabControl1->selectedPosition(), 2);
    EXPECT_EQ(surface(form(), 2).tag(), QStringLiteral("0|") + file);
    EXPECT_EQ(surface(form(), 2).text(), QStringLiteral("Dear reader\r\nsecond"));
    EXPECT_TRUE(reports().empty());

    type(form(), QStringLiteral("X"));
    EXPECT_EQ(caption(2), QStringLiteral("letter.rtf*"));
    EXPECT_EQ(caption(1), QStringLiteral("letter.rtf"));
    EXPECT_EQ(surface(form(), 1).text(), QStringLiteral("Dear reader\r\nsecond"));
}

TEST_F(Files, CancelledOpenChangesNothing) {
    form().PushButton1_Click();
    EXPECT_EQ(form().TabControl1->count(), 1);
    EXPECT_EQ(form().documentCount, 1);
    EXPECT_FALSE(form().loadingFlag);
    EXPECT_TRUE(reports().empty());
}

TEST_F(Files, AFileThatCannotBeReadIsReportedAndLeavesNoTab) {
    form().PushButton2_Click();
    form().TabControl1->select(0);
    answerOpen(path(QStringLiteral("vanished.rtf")));
    answerOpen(harness.folder.path()); // a folder
    form().PushButton1_Click();
    form().PushButton1_Click();
    ASSERT_EQ(reports().size(), 2u);
    EXPECT_TRUE(reports()[0].text.contains(QStringLiteral("PushButton1_Click at line 122")));
    EXPECT_EQ(reports()[0].title, QStringLiteral("Application Error"));
    EXPECT_EQ(form().TabControl1->count(), 2);
    EXPECT_EQ(form().TabControl1->selectedPosition(), 0);
    EXPECT_FALSE(form().loadingFlag);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("vanished.rtf"))));
}

TEST_F(Files, PlainTextOpenedAndSavedComesBackByteForByte) {
    const QString file = path(QStringLiteral("notes.txt"));
    const QByteArray bytes = "caf\xC3\xA9 \xE2\x82\xAC\r\n{\\b not markup}\r\n\r\nlast\r\n";
    writeFile(file, bytes);
    answerOpen(file);
    form().PushButton1_Click();
    EXPECT_EQ(form().currentSurface().text(),
              QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC\r\n{\\b not markup}\r\n\r\nlast"));
    form().PushButton7_Click();
    EXPECT_TRUE(harness.dialogs->saveRequests.empty());
    EXPECT_EQ(readAll(file), bytes);
}

TEST_F(Files, SaveOfANewDocumentAsksOnceThenWritesByTheNamesExtension) {
    type(form(), QStringLiteral("hello"));
    answerSave(path(QStringLiteral("report.RTF")));
    form().PushButton7->click();
    ASSERT_EQ(harness.dialogs->saveRequests.size(), 1u);
    EXPECT_EQ(harness.dialogs->saveRequests[0].title, QStringLiteral("Save [Untitled1.rtf] As"));
    EXPECT_EQ(harness.dialogs->saveRequests[0].fileName, QString());
    EXPECT_EQ(harness.dialogs->saveRequests[0].filters.size(), 2);
    EXPECT_TRUE(readAll(path(QStringLiteral("report.RTF"))).startsWith("{\\rtf1"));
    EXPECT_EQ(caption(0), QStringLiteral("report.RTF"));
    EXPECT_EQ(surface(form(), 0).tag(), QStringLiteral("0|") + path(QStringLiteral("report.RTF")));

    type(form(), QStringLiteral(" again"));
    form().PushButton7_Click();
    EXPECT_EQ(harness.dialogs->saveRequests.size(), 1u);
    EXPECT_EQ(caption(0), QStringLiteral("report.RTF"));
    QTextDocument reread;
    rtf::loadBytes(reread, readFileContent(path(QStringLiteral("report.RTF"))));
    EXPECT_EQ(reread.toPlainText(), QStringLiteral("hello again"));
}

TEST_F(Files, NamesThatAreNotRtfAreWrittenAsPlainTextUnderExactlyThatName) {
    QDir(harness.folder.path()).mkdir(QStringLiteral("my.docs"));
    for (const QString& name : {QStringLiteral("notes"), QStringLiteral("my.docs/notes"),
                                QStringLiteral("notes.text"), QStringLiteral("notes.txt")}) {
        SCOPED_TRACE(name.toStdString());
        form().PushButton2_Click();
        type(form(), QStringLiteral("line one"));
        answerSave(path(name));
        form().PushButton7_Click();
        EXPECT_EQ(readAll(path(name)), "line one\r\n");
        EXPECT_EQ(caption(form().TabControl1->selectedPosition()), QFileInfo(name).fileName());
    }
    EXPECT_TRUE(reports().empty());
}

TEST_F(Files, CancelledSaveKeepsTheMarkAndWritesNothing) {
    type(form(), QStringLiteral("x"));
    cancelSave();
    form().PushButton7_Click();
    EXPECT_EQ(caption(0), QStringLiteral("Untitled1.rtf*"));
    EXPECT_EQ(surface(form(), 0).tag(), QStringLiteral("1|"));
    EXPECT_EQ(QDir(harness.folder.path()).entryList(QDir::Files).size(), 0);
}

TEST_F(Files, SaveAsPreselectsTheFilterOfTheCaptionAndLeavesTheOldFile) {
    const QString old = path(QStringLiteral("report.txt"));
    writeFile(old, "original\r\n");
    answerOpen(old);
    form().PushButton1_Click();
    type(form(), QStringLiteral("new "));
    answerSave(path(QStringLiteral("copy.rtf")));
    form().PushButton14->click();
    ASSERT_EQ(harness.dialogs->saveRequests.size(), 1u);
    EXPECT_EQ(harness.dialogs->saveRequests[0].title, QStringLiteral("Save [report.txt] As"));
    EXPECT_EQ(harness.dialogs->saveRequests[0].selectedFilter, 1); // the Text entry
    EXPECT_EQ(readAll(old), "original\r\n");
    EXPECT_TRUE(readAll(path(QStringLiteral("copy.rtf"))).startsWith("{\\rtf1"));
    EXPECT_EQ(caption(1), QStringLiteral("copy.rtf"));
    EXPECT_EQ(form().currentSurface().tag(),
              QStringLiteral("0|") + path(QStringLiteral("copy.rtf")));

    // Now an RTF caption preselects the RTF entry; a name without a dot the Text entry.
    answerSave(path(QStringLiteral("plain")));
    form().PushButton14_Click();
    EXPECT_EQ(harness.dialogs->saveRequests[1].selectedFilter, 0);
    EXPECT_EQ(readAll(path(QStringLiteral("plain"))), "new original\r\n");
    cancelSave();
    form().PushButton14_Click();
    EXPECT_EQ(harness.dialogs->saveRequests[2].selectedFilter, 1);
    EXPECT_EQ(caption(1), QStringLiteral("plain"));
}

TEST_F(Files, SaveAllVisitsChangedTabsInOrderAndSkipsCancelledDialogs) {
    const QString text = path(QStringLiteral("a.txt"));
    writeFile(text, "alpha\r\n");
    form().PushButton2_Click(); // Untitled2.rtf, stays unchanged
    form().PushButton2_Click(); // Untitled3.rtf
    answerOpen(text);
    form().PushButton1_Click(); // a.txt
    for (int position : {0, 2, 3}) {
        form().TabControl1->select(position);
        type(form(), QStringLiteral("+"));
    }
    form().TabControl1->select(1);
    cancelSave();                              // Untitled1.rtf
    answerSave(path(QStringLiteral("b.rtf"))); // Untitled3.rtf
    form().PushButton8->click();

    ASSERT_EQ(harness.dialogs->saveRequests.size(), 2u);
    EXPECT_EQ(harness.dialogs->saveRequests[0].title, QStringLiteral("Save [Untitled1.rtf] As"));
    EXPECT_EQ(harness.dialogs->saveRequests[1].title, QStringLiteral("Save [Untitled3.rtf] As"));
    EXPECT_EQ(harness.dialogs->saveRequests[1].filters.size(), 1);
    EXPECT_EQ(form().TabControl1->selectedPosition(), 1);
    EXPECT_EQ(caption(0), QStringLiteral("Untitled1.rtf*"));
    EXPECT_EQ(caption(1), QStringLiteral("Untitled2.rtf"));
    EXPECT_EQ(caption(2), QStringLiteral("b.rtf"));
    EXPECT_EQ(caption(3), QStringLiteral("a.txt"));
    EXPECT_TRUE(readAll(path(QStringLiteral("b.rtf"))).startsWith("{\\rtf1"));
    EXPECT_EQ(readAll(text), "+alpha\r\n"); // still plain text
    EXPECT_EQ(surface(form(), 2).tag(), QStringLiteral("0|") + path(QStringLiteral("b.rtf")));
}

TEST_F(Files, AFailedWriteIsReportedAndTheDocumentStaysUnsaved) {
    const QString existing = path(QStringLiteral("kept.rtf"));
    writeFile(existing, "old bytes");
    answerOpen(existing);
    form().PushButton1_Click();
    form().currentSurface().setText(QString(200000, QLatin1Char('x')));
    const QString tag = form().currentSurface().tag();
    {
        FileSizeLimit limit(4096);
        form().PushButton7_Click(); // over the size limit
        form().PushButton8_Click(); // Save All, the same
    }
    answerSave(path(QStringLiteral("missing/x.rtf")));
    answerSave(harness.folder.path()); // a folder, plain text by its name
    form().PushButton14_Click();
    form().PushButton14_Click();

    ASSERT_EQ(reports().size(), 4u);
    EXPECT_TRUE(reports()[0].text.contains(QStringLiteral("PushButton7_Click at line 130")));
    EXPECT_TRUE(reports()[1].text.contains(QStringLiteral("PushButton8_Click at line 124")));
    EXPECT_TRUE(reports()[2].text.contains(QStringLiteral("PushButton14_Click at line 122")));
    EXPECT_TRUE(reports()[3].text.contains(
        QStringLiteral("PushButton14_Click at line 124"))); // no ".rtf": plain text
    EXPECT_EQ(caption(1), QStringLiteral("kept.rtf*"));
    EXPECT_EQ(form().currentSurface().tag(), tag);
    EXPECT_EQ(readAll(existing), "old bytes");
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("missing/x.rtf"))));
}

} // namespace
