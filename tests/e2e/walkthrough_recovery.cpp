// Unsaved work across a kill: the installed editor keeps recovery copies in
// its own XDG_STATE_HOME, and the next start offers them.
#include "walkthrough_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <sys/stat.h>

using namespace walk;

namespace {

const QString kRestoreText =
    QStringLiteral("Ferrotab was closed before these documents were saved:\r\n"
                   "Untitled1.rtf\r\nletter.rtf\r\nRestore them?");

// The recovery folder of a state home, and what its indexes list.
struct Copies {
    QString folder;
    explicit Copies(const QString& stateHome)
        : folder(stateHome + QStringLiteral("/ferrotab/recovery")) {}

    QStringList indexes() const {
        return QDir(folder).entryList({QStringLiteral("*.index")}, QDir::Files, QDir::Name);
    }
    QJsonArray listed(const QString& index) const {
        QFile file(QDir(folder).filePath(index));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll())
            .object()
            .value(QStringLiteral("documents"))
            .toArray();
    }
    int listedInAll() const {
        int count = 0;
        for (const QString& index : indexes())
            count += int(listed(index).size());
        return count;
    }
    bool waitForListed(int count, int timeoutMs = 10000) const {
        return waitFor([&] { return listedInAll() == count; }, timeoutMs);
    }
    QString copyOf(const QJsonValue& entry) const {
        return QDir(folder).filePath(entry.toObject().value(QStringLiteral("file")).toString());
    }
};

void killHard(Walk& walk) {
    walk.session().process().kill(); // SIGKILL: nothing of the editor runs any more
    walk.session().process().waitForFinished(5000);
}

} // namespace

TEST(RecoveryWalk, AKilledEditorsWorkComesBackAndSavesToItsFile) {
    WALK_NEEDS_DISPLAY();
    QTemporaryDir state;
    const Copies copies(state.path());
    Walk first(QStringLiteral("recovery-kill"));
    first.session().setStateHome(state.path());
    const QString letter = first.file(QStringLiteral("letter.rtf"));
    const QByteArray original = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 {\\b Dear} reader}";
    {
        QFile file(letter);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(original);
    }
    ASSERT_TRUE(first.start());
    first.clickIntoText();
    first.type(QStringLiteral("never saved"));
    first.click(kOpen);
    ASSERT_TRUE(first.answerFileDialog(QStringLiteral("^Select File$"), letter));
    first.backToWindow();
    first.clickIntoText();
    first.type(QStringLiteral(" and more"));
    ASSERT_TRUE(copies.waitForListed(2)) << copies.listedInAll();
    struct stat folder {};
    ASSERT_EQ(::stat(QFile::encodeName(copies.folder).constData(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    killHard(first);
    EXPECT_EQ(QDir(copies.folder).entryList({QStringLiteral("*.lock")}).size(), 1)
        << "the killed editor's lock stays, stale";

    Walk second(QStringLiteral("recovery-restart"));
    second.session().setStateHome(state.path());
    ASSERT_TRUE(second.start());
    const QString box = second.dialog(QStringLiteral("^Restore Documents$"));
    ASSERT_FALSE(box.isEmpty());
    EXPECT_TRUE(showsMessage(second.session(), box, QStringLiteral("Restore Documents"),
                             kRestoreText, Buttons::YesNo, Icon::Exclamation,
                             QStringLiteral("recovery-restore-question")));
    ASSERT_TRUE(second.answerQuestion(box, QStringLiteral("y")));
    second.backToWindow();
    second.screenshot(QStringLiteral("restored"));
    EXPECT_EQ(QFile(letter).size(), original.size()) << "the file waits for the user's Save";

    // The restored documents are this editor's now, each with its own copy:
    // both are unsaved.
    ASSERT_TRUE(copies.waitForListed(2));
    ASSERT_EQ(copies.indexes().size(), 1) << "the killed editor's files are gone";

    // The letter is the current document: Save writes it to its own file
    // without asking for a name, with its formats.
    second.key(QStringLiteral("ctrl+s"));
    EXPECT_TRUE(second.noDialog(QStringLiteral("^Save \\[")));
    EXPECT_TRUE(waitFor([&] { return text(letter) == QStringLiteral("Dear reader and more"); }))
        << text(letter).toStdString();
    const QJsonArray saved = paragraphs(letter);
    EXPECT_TRUE(run(saved, 0, 0).value(QStringLiteral("bold")).toBool());
    // Its copy went with the save; the untitled one is still unsaved.
    ASSERT_TRUE(copies.waitForListed(1));
    const QJsonArray left = copies.listed(copies.indexes().value(0));
    EXPECT_EQ(left[0].toObject().value(QStringLiteral("caption")).toString(),
              QStringLiteral("Untitled2.rtf"));
    EXPECT_EQ(text(copies.copyOf(left[0])), QStringLiteral("never saved"));

    // Leaving asks, since a document is still marked changed; Yes ends it all.
    requestClose(second.session().mainWindow());
    const QString exit = second.dialog(QStringLiteral("^Continue Exit$"));
    ASSERT_FALSE(exit.isEmpty());
    ASSERT_TRUE(second.answerQuestion(exit, QStringLiteral("y")));
    ASSERT_TRUE(second.session().process().waitForFinished(5000));
    EXPECT_TRUE(QDir(copies.folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(RecoveryWalk, CloseWithNoThenLeavingMeansTheNextStartAsksNothing) {
    WALK_NEEDS_DISPLAY();
    QTemporaryDir state;
    const Copies copies(state.path());
    Walk walk(QStringLiteral("recovery-close"));
    walk.session().setStateHome(state.path());
    ASSERT_TRUE(walk.start());
    walk.clickIntoText();
    walk.type(QStringLiteral("thrown away"));
    ASSERT_TRUE(copies.waitForListed(1));
    walk.click(kClose);
    const QString box = walk.dialog(QStringLiteral("^Save Changes$"));
    ASSERT_TRUE(walk.answerQuestion(box, QStringLiteral("n")));
    EXPECT_TRUE(copies.waitForListed(0, 5000));
    requestClose(walk.session().mainWindow());
    EXPECT_TRUE(walk.noDialog(QStringLiteral("^Continue Exit$")));
    ASSERT_TRUE(walk.session().process().waitForFinished(5000));

    Walk next(QStringLiteral("recovery-close-next"));
    next.session().setStateHome(state.path());
    ASSERT_TRUE(next.start());
    EXPECT_TRUE(next.noDialog(QStringLiteral("^Restore Documents$"), 2000));
}

TEST(RecoveryWalk, TwoEditorsAtOnceNeverOfferEachOthersDocuments) {
    WALK_NEEDS_DISPLAY();
    QTemporaryDir state;
    const Copies copies(state.path());
    Walk first(QStringLiteral("recovery-first"));
    first.session().setStateHome(state.path());
    ASSERT_TRUE(first.start());
    first.clickIntoText();
    first.type(QStringLiteral("first editor"));
    ASSERT_TRUE(copies.waitForListed(1));
    const QString firstIndex = copies.indexes().value(0);

    Walk second(QStringLiteral("recovery-second"));
    second.session().setStateHome(state.path());
    ASSERT_TRUE(second.start());
    EXPECT_TRUE(second.noDialog(QStringLiteral("^Restore Documents$"), 2000));
    second.backToWindow();
    second.clickIntoText();
    second.type(QStringLiteral("second editor"));
    ASSERT_TRUE(copies.waitForListed(2));

    // The first one dies; a third start offers its document alone, and the
    // second editor's copy stays with it.
    killHard(first);
    Walk third(QStringLiteral("recovery-third"));
    third.session().setStateHome(state.path());
    ASSERT_TRUE(third.start());
    const QString box = third.dialog(QStringLiteral("^Restore Documents$"));
    ASSERT_FALSE(box.isEmpty());
    EXPECT_TRUE(showsMessage(third.session(), box, QStringLiteral("Restore Documents"),
                             QStringLiteral("Ferrotab was closed before these documents were "
                                            "saved:\r\nUntitled1.rtf\r\nRestore them?"),
                             Buttons::YesNo, Icon::Exclamation,
                             QStringLiteral("recovery-one-of-two")));
    ASSERT_TRUE(third.answerQuestion(box, QStringLiteral("y")));
    ASSERT_TRUE(waitFor([&] {
        return copies.indexes().size() == 2 && !copies.indexes().contains(firstIndex) &&
               copies.listedInAll() == 2;
    }));
    for (const QString& index : copies.indexes()) {
        const QJsonArray listed = copies.listed(index);
        ASSERT_EQ(listed.size(), 1);
        const QString held = text(copies.copyOf(listed[0]));
        EXPECT_TRUE(held == QStringLiteral("first editor") ||
                    held == QStringLiteral("second editor"))
            << held.toStdString();
    }
}
