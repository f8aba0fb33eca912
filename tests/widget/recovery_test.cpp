// Recovery copies of unsaved documents: when they are written, where and how
// privately, when they go, and what the next start makes of them.
#include "components/rtf/documentfile.h"
#include "components/rtf/keptrtf.h"
#include "recovery/recovery.h"
#include "recovery/recoveryfiles.h"
#include "saving/safefile.h"
#include "tests/support/scripted.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int modeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777)
                                                                     : -1;
}

QString textOf(const QByteArray& rtf) {
    QTextDocument document;
    rtf::loadBytes(document, rtf);
    return document.toPlainText();
}

// One editor window with quick recovery timers, in a state folder that a
// second window (the next start) can share.
struct Editor {
    explicit Editor(const QString& recoveryFolder = {}) {
        if (!recoveryFolder.isEmpty())
            harness.recoveryFolder = recoveryFolder;
        harness.load();
        form().recovery()->setTiming({60, 400, 200});
    }
    Form1& form() { return *harness.form; }
    Recovery& recovery() { return *form().recovery(); }
    QString folder() const { return harness.recoveryFolder; }
    void type(const QString& text) { QTest::keyClicks(form().currentSurface().widget(), text); }
    // Opens a file written with the content (in the test's own folder when
    // the name is not a path).
    QString open(const QString& name, const QByteArray& content) {
        const QString path = QDir(harness.folder.path()).filePath(name);
        writeFile(path, content);
        harness.dialogs->openAnswers.push_back(FileDialogResult{path, 0});
        form().PushButton1_Click();
        return path;
    }
    QStringList copies() const {
        return QDir(folder()).entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name);
    }
    std::optional<QList<recovery::IndexEntry>> index() const {
        return recovery::parseIndex(
            readAll(folder() + QLatin1Char('/') +
                    recovery::indexName(harness.form->recovery()->instance())));
    }
    // Waits, with a deadline, until the index lists this many copies.
    bool waitForListed(int count) {
        return QTest::qWaitFor(
            [&] {
                const auto listed = index();
                return count == 0 ? !listed.has_value() : listed && listed->size() == count;
            },
            5000);
    }
    // What happens to the window's files once everything asked is done.
    void settle() {
        for (int round = 0; round < 3; ++round) {
            recovery().waitForWrites();
            QCoreApplication::processEvents();
        }
    }
    // The editor gone without a word: its copies stay where they are.
    void crash() { harness.form.reset(); }

    FormHarness harness;
};

TEST(RecoveryCopies, WrittenAfterThePauseForTheUserAloneWhateverTheUmask) {
    const mode_t savedUmask = ::umask(0);
    Editor editor;
    editor.type(QStringLiteral("first words"));
    EXPECT_TRUE(editor.copies().isEmpty()) << "nothing is written while the user types";
    ASSERT_TRUE(editor.waitForListed(1));

    const auto listed = *editor.index();
    EXPECT_EQ(listed[0].caption, QStringLiteral("Untitled1.rtf"));
    EXPECT_EQ(listed[0].path, QString());
    EXPECT_TRUE(listed[0].written.isValid());
    const QString copy = editor.folder() + QLatin1Char('/') + listed[0].file;
    EXPECT_EQ(textOf(readAll(copy)), QStringLiteral("first words"));
    EXPECT_EQ(modeOf(editor.folder()), 0700);
    EXPECT_EQ(modeOf(copy), 0600);
    EXPECT_EQ(modeOf(editor.folder() + QLatin1Char('/') +
                     recovery::indexName(editor.recovery().instance())),
              0600);
    EXPECT_EQ(modeOf(editor.folder() + QLatin1Char('/') +
                     recovery::lockName(editor.recovery().instance())),
              0600);
    // The next change replaces the copy in place of a second one.
    editor.type(QStringLiteral(", more"));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return textOf(readAll(copy)) == "first words, more"; }, 5000));
    EXPECT_EQ(editor.copies().size(), 1);
    EXPECT_TRUE(editor.harness.messages->shown.empty());
    ::umask(savedUmask);
}

// A copy is the document as it stood when its last piece was written:
// typing after that goes into the next copy.
TEST(RecoveryCopies, ACopyHoldsTheDocumentAsItWasWhenWritten) {
    Editor editor;
    editor.recovery().setTiming({60000, 60000, 60000}); // copies only when flushed
    editor.type(QStringLiteral("at the pause"));
    editor.recovery().flush();
    editor.type(QStringLiteral(" and after"));
    ASSERT_TRUE(editor.waitForListed(1));
    const QString copy = editor.folder() + QLatin1Char('/') + editor.index()->at(0).file;
    EXPECT_EQ(textOf(readAll(copy)), QStringLiteral("at the pause"));
    editor.recovery().flush();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return textOf(readAll(copy)) == QStringLiteral("at the pause and after"); }, 5000));
}

// A copy too large for one slice is written over many, between keystrokes at
// its start, middle and end; whatever it holds is the whole document as it
// stood after one of those keystrokes, never a mix of two.
TEST(RecoveryCopies, TypingWhileALargeCopyIsWrittenGivesOneVersionOfTheDocument) {
    Editor editor;
    editor.recovery().setTiming({60000, 60000, 60000});
    QTextEdit& edit = *editor.form().currentSurface().widget();
    QString text;
    for (int i = 0; i < 6000; ++i)
        text += QStringLiteral("Paragraph %1 of a long document.\n").arg(i);
    edit.setPlainText(text);
    const QString original = edit.toPlainText();
    QSet<QString> versions{original};
    editor.recovery().flush();
    std::mt19937 random(5);
    for (int key = 0; key < 40; ++key) {
        QTextCursor cursor = edit.textCursor();
        const int where = std::uniform_int_distribution<int>(0, 2)(random);
        cursor.setPosition(where == 0   ? 0
                           : where == 1 ? edit.document()->characterCount() / 2
                                        : edit.document()->characterCount() - 1);
        edit.setTextCursor(cursor);
        QTest::keyClick(&edit, key % 7 == 0 ? Qt::Key_Return : Qt::Key_K);
        versions.insert(edit.toPlainText());
        QCoreApplication::processEvents(); // a slice or two
    }
    ASSERT_TRUE(editor.waitForListed(1));
    editor.settle();
    const QString copy = editor.folder() + QLatin1Char('/') + editor.index()->at(0).file;
    const QString copied = textOf(readAll(copy));
    EXPECT_TRUE(versions.contains(copied)) << copied.size();
    EXPECT_NE(copied, original) << "it was written after the first keystroke, and holds it";
}

TEST(RecoveryCopies, TypingWithoutAPauseIsCopiedByTheCap) {
    Editor editor;
    editor.recovery().setTiming({300, 500, 200});
    QElapsedTimer typing;
    typing.start();
    while (typing.elapsed() < 1500 && editor.copies().isEmpty()) {
        editor.type(QStringLiteral("x"));
        QTest::qWait(50);
    }
    EXPECT_FALSE(editor.copies().isEmpty()) << "a copy at most every cap while typing on";
}

TEST(RecoveryCopies, GoWhenSavedOrClosedWhateverTheAnswer) {
    Editor editor;
    editor.type(QStringLiteral("untitled"));
    const QString saved = editor.open(QStringLiteral("saved.rtf"), "{\\rtf1 saved}");
    editor.type(QStringLiteral("edit "));
    editor.form().PushButton2_Click();
    editor.type(QStringLiteral("third"));
    ASSERT_TRUE(editor.waitForListed(3));
    ASSERT_EQ(editor.index()->at(1).path, saved);
    EXPECT_EQ(editor.index()->at(1).caption, QStringLiteral("saved.rtf"));

    // Save: the file takes the changes, the copy goes.
    editor.form().TabControl1->select(1);
    editor.form().PushButton7_Click();
    ASSERT_EQ(textOf(readAll(saved)), QStringLiteral("edit saved"));
    editor.settle();
    ASSERT_EQ(editor.index()->size(), 2);
    EXPECT_EQ(editor.copies().size(), 2);

    // Close, No: the changes are thrown away, and so is their copy.
    editor.form().TabControl1->select(2);
    editor.harness.messages->answers.push_back(MsgResult::No);
    editor.form().PushButton11_Click();
    editor.settle();
    ASSERT_EQ(editor.index()->size(), 1);
    EXPECT_EQ(editor.index()->at(0).caption, QStringLiteral("Untitled1.rtf"));

    // Close All, Yes: nothing is left, not even the index.
    editor.harness.messages->answers.push_back(MsgResult::Yes);
    editor.form().PushButton12_Click();
    editor.settle();
    EXPECT_FALSE(editor.index().has_value());
    EXPECT_TRUE(editor.copies().isEmpty());
}

TEST(RecoveryCopies, LeavingThroughTheQuestionRemovesEverythingStayingKeepsThem) {
    Editor editor;
    editor.type(QStringLiteral("unsaved"));
    ASSERT_TRUE(editor.waitForListed(1));

    editor.harness.messages->answers.push_back(MsgResult::No);
    editor.form().close();
    EXPECT_EQ(editor.harness.programEnds, 0);
    EXPECT_EQ(editor.copies().size(), 1) << "the user stayed: the copy too";

    editor.harness.messages->answers.push_back(MsgResult::Yes);
    editor.form().close();
    EXPECT_EQ(editor.harness.programEnds, 1);
    EXPECT_TRUE(
        QDir(editor.folder()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        << QDir(editor.folder()).entryList(QDir::AllEntries | QDir::Hidden).join(' ').toStdString();

    // The next start asks nothing.
    Editor next(editor.folder());
    next.form().RestoreDocuments();
    EXPECT_TRUE(next.harness.messages->shown.empty());
}

TEST(RestoreDocuments, YesOpensEveryCopyMarkedChangedAfterTheFirstDocument) {
    QTemporaryDir states, documents;
    const QString state = states.filePath(QStringLiteral("ferrotab/recovery"));
    const QString path = documents.filePath(QStringLiteral("letter.rtf"));
    {
        Editor crashed(state);
        crashed.type(QStringLiteral("never saved"));
        crashed.open(path, "{\\rtf1 {\\b Dear} Sir}");
        crashed.type(QStringLiteral("Hello "));
        ASSERT_TRUE(crashed.waitForListed(2));
        crashed.crash();
        // The file itself is what it was: recovery never writes documents.
        EXPECT_EQ(readAll(path), "{\\rtf1 {\\b Dear} Sir}");
    }

    Editor next(state);
    next.harness.messages->answers.push_back(MsgResult::Yes);
    next.form().RestoreDocuments();
    ASSERT_EQ(next.harness.messages->shown.size(), 1u);
    const MessageRequest& box = next.harness.messages->shown[0];
    EXPECT_EQ(box.title, QStringLiteral("Restore Documents"));
    EXPECT_EQ(box.text, QStringLiteral("Ferrotab was closed before these documents were saved:\r\n"
                                       "Untitled1.rtf\r\nletter.rtf\r\nRestore them?"));
    EXPECT_EQ(box.buttons, MsgButtons::YesNo);
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);

    Form1& form = next.form();
    ASSERT_EQ(form.TabControl1->count(), 3);
    EXPECT_EQ(form.TabControl1->caption(0), QStringLiteral("Untitled1.rtf"));
    EXPECT_EQ(form.TabControl1->caption(1), QStringLiteral("Untitled2.rtf*"));
    EXPECT_EQ(form.TabControl1->caption(2), QStringLiteral("letter.rtf*"));
    EXPECT_EQ(form.TabControl1->selectedPosition(), 2);
    EXPECT_EQ(form.currentSurface().text(), QStringLiteral("Hello Dear Sir"));
    EXPECT_EQ(form.currentSurface().tag(), QStringLiteral("1|") + path);
    EXPECT_EQ((*form.RichTextBox1)[1].text(), QStringLiteral("never saved"));
    EXPECT_EQ((*form.RichTextBox1)[1].tag(), QStringLiteral("1|"));
    EXPECT_EQ(readAll(path), "{\\rtf1 {\\b Dear} Sir}");
    // Formats come back with the text.
    QTextCursor bold(form.currentSurface().document());
    bold.setPosition(8);
    EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);

    // The documents are this editor's now: its own copies hold them, the
    // crashed editor's files are gone.
    next.settle();
    ASSERT_TRUE(next.index().has_value());
    EXPECT_EQ(next.index()->size(), 2);
    EXPECT_EQ(next.copies().size(), 2);
    EXPECT_EQ(QDir(state).entryList({QStringLiteral("*.index")}).size(), 1);

    // Save of the restored letter writes to its own path.
    form.PushButton7_Click();
    EXPECT_TRUE(next.harness.dialogs->saveRequests.empty());
    EXPECT_EQ(textOf(readAll(path)), QStringLiteral("Hello Dear Sir"));
    EXPECT_EQ(form.TabControl1->caption(2), QStringLiteral("letter.rtf"));
}

TEST(RestoreDocuments, NoDeletesTheCopiesAndTheNextStartAsksNothing) {
    QTemporaryDir states;
    const QString state = states.filePath(QStringLiteral("ferrotab/recovery"));
    {
        Editor crashed(state);
        crashed.type(QStringLiteral("not wanted"));
        ASSERT_TRUE(crashed.waitForListed(1));
        crashed.crash();
    }
    Editor next(state);
    next.harness.messages->answers.push_back(MsgResult::No);
    next.form().RestoreDocuments();
    ASSERT_EQ(next.harness.messages->shown.size(), 1u);
    EXPECT_EQ(next.form().TabControl1->count(), 1);
    EXPECT_TRUE(QDir(state).entryList(QDir::Files | QDir::Hidden).isEmpty());

    Editor third(state);
    third.form().RestoreDocuments();
    EXPECT_TRUE(third.harness.messages->shown.empty());
}

TEST(RestoreDocuments, AnUnreadableCopyIsReportedOnceByNameAndSkipped) {
    QTemporaryDir states;
    const QString state = states.filePath(QStringLiteral("ferrotab/recovery"));
    QString lost;
    {
        Editor crashed(state);
        crashed.type(QStringLiteral("lost one"));
        crashed.form().PushButton2_Click();
        crashed.type(QStringLiteral("kept one"));
        ASSERT_TRUE(crashed.waitForListed(2));
        lost = crashed.index()->at(0).file;
        crashed.crash();
    }
    writeFile(state + QLatin1Char('/') + lost, "not a document");
    Editor next(state);
    next.harness.messages->answers.push_back(MsgResult::Yes);
    next.form().RestoreDocuments();
    const auto& shown = next.harness.messages->shown;
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].title, QStringLiteral("Restore Documents"));
    EXPECT_EQ(shown[1].buttons, MsgButtons::Ok);
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("Untitled1.rtf")));
    EXPECT_TRUE(shown[1].text.contains(lost));
    ASSERT_EQ(next.form().TabControl1->count(), 2);
    EXPECT_EQ(next.form().currentSurface().text(), QStringLiteral("kept one"));

    // Reported once: the damaged copy went with the rest of its instance.
    Editor third(state);
    third.form().RestoreDocuments();
    EXPECT_TRUE(third.harness.messages->shown.empty());
}

TEST(RestoreDocuments, ARunningEditorsCopiesAreNeverOffered) {
    Editor running;
    running.type(QStringLiteral("still open elsewhere"));
    ASSERT_TRUE(running.waitForListed(1));

    Editor second(running.folder());
    second.form().RestoreDocuments();
    EXPECT_TRUE(second.harness.messages->shown.empty());
    EXPECT_EQ(running.copies().size(), 1);
}

TEST(RecoveryFailures, AnUnwritableFolderShowsNothingAndIsTriedAgain) {
    FormHarness harness;
    // A file where the folder should be: no user, root included, can write there.
    const QString blocker = harness.state.filePath(QStringLiteral("ferrotab"));
    writeFile(blocker, "in the way");
    harness.load();
    Recovery& recovery = *harness.form->recovery();
    recovery.setTiming({60, 400, 200});
    QTest::keyClicks(harness.form->currentSurface().widget(), QStringLiteral("typed anyway"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !recovery.lastError().isEmpty(); }, 5000));
    EXPECT_TRUE(harness.messages->shown.empty());
    EXPECT_EQ(harness.form->TabControl1->caption(0), QStringLiteral("Untitled1.rtf*"));

    QFile::remove(blocker);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return QFileInfo::exists(harness.recoveryFolder + QLatin1Char('/') +
                                     recovery::indexName(recovery.instance()));
        },
        5000))
        << "tried again without another keystroke";
    EXPECT_TRUE(harness.messages->shown.empty());
}

// A kill at any moment of a copy's write leaves the copy before it whole:
// SIGKILL at random moments while a large copy is replaced, a bounded number
// of times.
TEST(RecoveryFailures, AKillDuringAWriteLeavesThePreviousCopyReadable) {
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.rtf"));
    auto version = [](char letter) {
        return QByteArray("{\\rtf1 ") + QByteArray(6 * 1024 * 1024, letter) + "}";
    };
    const QByteArray first = version('a'), second = version('b');
    ASSERT_TRUE(recovery::writePrivateFile(copy, first).isEmpty());
    std::mt19937 random(17);
    int killedMidWrite = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                recovery::writePrivateFile(copy, i % 2 ? first : second);
        }
        ::usleep(useconds_t(std::uniform_int_distribution<int>(0, 80000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const QByteArray now = readAll(copy);
        ASSERT_TRUE(now == first || now == second) << "round " << round << ": " << now.size();
        EXPECT_EQ(modeOf(copy), 0600);
        killedMidWrite += QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).size() > 1;
    }
    // The kills did land inside writes (a temporary file was left behind).
    EXPECT_GT(killedMidWrite, 0);
}

} // namespace
