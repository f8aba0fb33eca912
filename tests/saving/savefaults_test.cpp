#include "tests/saving/faults.h"
#include "tests/support/scripted.h"

#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <cerrno>

// Save, Save As and Save All of the real window when the disk fails at each
// step: the report carries the system's text, the old file keeps its bytes,
// no temporary file is left, and the document stays marked as unsaved.

namespace {

struct Step {
    const char* point;
    int error;
};

const Step steps[] = {{"posix/io/oc/open", EACCES},
                      {"posix/io/rw/write", ENOSPC},
                      {"posix/io/sync/fsync", ENOSPC},
                      {"posix/io/oc/close", ENOSPC},
                      {"posix/io/dir/rename", EIO}};

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InjectedFault::available())
            << "run under fiu-run -x: libfiu's POSIX wrappers are not loaded";
        harness.load();
    }
    Form1& form() { return *harness.form; }
    QString path(const QString& name) const { return harness.folder.filePath(name); }
    QString caption() {
        return form().TabControl1->caption(form().TabControl1->selectedPosition());
    }
    const std::vector<MessageRequest>& reports() const { return harness.messages->shown; }

    // Opens the file as the user does and changes its text.
    void openAndChange(const QString& file, int characters) {
        harness.dialogs->openAnswers.push_back(FileDialogResult{file, 0});
        form().PushButton1_Click();
        form().currentSurface().setText(QString(characters, QLatin1Char('n')));
    }

    FormHarness harness;
};

// Each step fails in turn for Save (Ctrl+S) of an RTF and a plain-text file,
// a small document (under Qt's 16 KiB write buffer) and a large one.
TEST_F(SaveFaults, SaveReportsEveryFailingStepAndKeepsTheOldFileAndTheMark) {
    const QByteArray old = "{\\rtf1 old}";
    for (const char* name : {"doc.rtf", "doc.txt"}) {
        const QString file = path(QString::fromLatin1(name));
        putFileBytes(file, old);
        for (const int characters : {200, 40000}) {
            openAndChange(file, characters);
            const QString changedCaption = caption();
            const QString tag = form().currentSurface().tag();
            ASSERT_TRUE(changedCaption.endsWith(QLatin1Char('*')));
            const QStringList entries = folderEntries(harness.folder.path());
            for (const Step& step : steps) {
                SCOPED_TRACE(std::string(name) + ", " + std::to_string(characters) +
                             " characters, " + step.point);
                const size_t shown = reports().size();
                {
                    InjectedFault fault(step.point, step.error);
                    form().PushButton7_Click();
                }
                ASSERT_EQ(reports().size(), shown + 1);
                EXPECT_TRUE(reports().back().text.startsWith(qt_error_string(step.error) +
                                                             QStringLiteral("\r\n")))
                    << reports().back().text.toStdString();
                // The RTF write is statement 130, the plain-text one 132.
                EXPECT_TRUE(reports().back().text.contains(
                    QStringLiteral("PushButton7_Click at line ") +
                    (file.endsWith(QStringLiteral(".rtf")) ? QStringLiteral("130")
                                                           : QStringLiteral("132"))));
                EXPECT_EQ(caption(), changedCaption);
                EXPECT_EQ(form().currentSurface().tag(), tag);
                EXPECT_EQ(fileBytes(file), old);
                EXPECT_EQ(folderEntries(harness.folder.path()), entries);
            }
            // The disk is back: the same Save goes through.
            form().PushButton7_Click();
            EXPECT_FALSE(caption().endsWith(QLatin1Char('*')));
            EXPECT_NE(fileBytes(file), old);
            putFileBytes(file, old);
        }
    }
}

TEST_F(SaveFaults, SaveAsAndSaveAllKeepTheDocumentUnsavedWhenTheWriteFails) {
    const QString file = path(QStringLiteral("kept.rtf"));
    const QByteArray old = "{\\rtf1 kept}";
    putFileBytes(file, old);
    openAndChange(file, 20000);
    const QString changedCaption = caption();
    const QString tag = form().currentSurface().tag();
    const QStringList entries = folderEntries(harness.folder.path());
    form().PushButton2_Click(); // a new document, changed too
    QTest::keyClicks(form().currentSurface().widget(), QStringLiteral("fresh"));
    const QString freshTag = form().currentSurface().tag();
    form().TabControl1->select(1);

    // Save As onto the old file and onto a new name, plain text and RTF.
    harness.dialogs->saveAnswers.push_back(FileDialogResult{file, 0});
    harness.dialogs->saveAnswers.push_back(FileDialogResult{path(QStringLiteral("new.txt")), 0});
    {
        InjectedFault fault("posix/io/rw/write", ENOSPC);
        form().PushButton14_Click();
        form().PushButton14_Click();
    }
    // Save All: the opened document has its path, the new one gets a dialog.
    harness.dialogs->saveAnswers.push_back(FileDialogResult{path(QStringLiteral("new.rtf")), 0});
    {
        InjectedFault fault("posix/io/sync/fsync", EIO);
        form().PushButton8_Click();
    }
    ASSERT_EQ(reports().size(), 4u);
    const char* where[] = {"PushButton14_Click at line 122", "PushButton14_Click at line 124",
                           "PushButton8_Click at line 124", "PushButton8_Click at line 118"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(reports()[i].text.contains(QString::fromLatin1(where[i])))
            << reports()[i].text.toStdString();
        EXPECT_TRUE(reports()[i].text.startsWith(qt_error_string(i < 2 ? ENOSPC : EIO)));
    }
    EXPECT_EQ(form().TabControl1->caption(1), changedCaption);
    EXPECT_EQ(form().currentSurface().tag(), tag);
    EXPECT_TRUE(form().TabControl1->caption(2).endsWith(QLatin1Char('*')));
    EXPECT_EQ((*form().RichTextBox1)[form().TabControl1->value(2)].tag(), freshTag);
    EXPECT_EQ(fileBytes(file), old);
    EXPECT_EQ(folderEntries(harness.folder.path()), entries);
}

} // namespace
