// The five shortcut keys of the installed program, pressed while another X
// client has the keyboard focus: each runs its command, and the other client
// never sees them.
#include "walkthrough_support.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace walk;

namespace {

TEST(ShortcutsWalk, AllFiveActWhileAnotherClientHasTheFocus) {
    WALK_NEEDS_DISPLAY();
    Walk walk(QStringLiteral("shortcuts"));
    ASSERT_TRUE(walk.start());
    OtherClient other(walk.session());
    ASSERT_TRUE(other.ready());
    auto pressElsewhere = [&](const QString& keys) {
        other.focus();
        walk.key(keys);
    };
    const QString saved = walk.file(QStringLiteral("keys.rtf")),
                  copy = walk.file(QStringLiteral("keys copy.txt"));
    const QString opened = walk.file(QStringLiteral("shopping.rtf"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FERROTAB_TEST_DATA "/rtf/wordpad.rtf"), opened));

    // Ctrl+N makes Untitled2.rtf, which Ctrl+S then offers to save.
    pressElsewhere(QStringLiteral("ctrl+n"));
    pressElsewhere(QStringLiteral("ctrl+s"));
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Save \\[Untitled2\\.rtf\\] As$"), saved));
    EXPECT_TRUE(waitFor([&] { return QFileInfo(saved).size() > 0; }));

    pressElsewhere(QStringLiteral("ctrl+a"));
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Save \\[keys\\.rtf\\] As$"), copy));
    EXPECT_TRUE(waitFor([&] { return QFileInfo::exists(copy); }));

    pressElsewhere(QStringLiteral("ctrl+o"));
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Select File$"), opened));
    pressElsewhere(QStringLiteral("ctrl+a"));
    QString dialog = walk.dialog(QStringLiteral("^Save \\[shopping\\.rtf\\] As$"));
    ASSERT_FALSE(dialog.isEmpty()) << "the opened file is the current tab";
    ASSERT_TRUE(walk.close(dialog, QStringLiteral("Escape")));

    // Ctrl+W closes it (unchanged: no question); another tab is current.
    pressElsewhere(QStringLiteral("ctrl+w"));
    EXPECT_TRUE(walk.noDialog(QStringLiteral("^Save Changes$")));
    pressElsewhere(QStringLiteral("ctrl+a"));
    dialog = walk.dialog(QStringLiteral("^Save \\[.*\\] As$"));
    ASSERT_FALSE(dialog.isEmpty());
    EXPECT_NE(walk.session().title(dialog), QStringLiteral("Save [shopping.rtf] As"));
    ASSERT_TRUE(walk.close(dialog, QStringLiteral("Escape")));

    // A key that is not ours reaches the client; it comes after all the
    // others, so once it is there, any of ours that leaked would be too.
    pressElsewhere(QStringLiteral("x"));
    EXPECT_TRUE(waitFor([&] { return other.sawKey(QStringLiteral("x")); }))
        << "the other client gets every other key";
    for (const char* key : {"n", "o", "s", "a", "w"})
        EXPECT_FALSE(other.sawKey(QLatin1String(key))) << "the other client got " << key;
    EXPECT_EQ(walk.session().process().state(), QProcess::Running);
}

} // namespace
