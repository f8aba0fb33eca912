// Save, Save As, Save All and Open on the installed program through Qt's real
// file dialogs, and what lands on disk.
#include "walkthrough_support.h"

#include <QFile>
#include <QFileInfo>

using namespace walk;

namespace {

QByteArray bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(FilesWalk, SaveToRtfAndTextSaveAsAndSaveAllWithTwoNewDocuments) {
    WALK_NEEDS_DISPLAY();
    Walk walk(QStringLiteral("files"));
    ASSERT_TRUE(walk.start());
    const QString rtf = walk.file(QStringLiteral("a.rtf")),
                  txt = walk.file(QStringLiteral("b.txt"));

    walk.click(kNew);
    walk.type(QStringLiteral("Saved as rich text"));
    walk.click(kSave);
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Save \\[Untitled2\\.rtf\\] As$"), rtf));
    ASSERT_TRUE(waitFor([&] { return QFileInfo(rtf).size() > 0; }));
    const QByteArray written = bytes(rtf);
    EXPECT_TRUE(written.startsWith("{\\rtf1"));
    EXPECT_EQ(text(rtf), QStringLiteral("Saved as rich text"));

    // Save As always asks, titled after the tab, which now reads a.rtf; a
    // name ending in .txt is written as plain text, and a.rtf stays as it was.
    walk.backToWindow();
    walk.click(kSaveAs);
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Save \\[a\\.rtf\\] As$"), txt));
    ASSERT_TRUE(waitFor([&] { return QFileInfo(txt).size() > 0; }));
    EXPECT_EQ(bytes(txt), QByteArray("Saved as rich text\r\n"));
    EXPECT_EQ(bytes(rtf), written);

    // The document now belongs to b.txt: Save writes there without asking.
    walk.backToWindow();
    walk.clickIntoText();
    walk.type(QStringLiteral(", then plain"));
    walk.click(kSave);
    EXPECT_TRUE(walk.noDialog(QStringLiteral("^Save \\[")));
    EXPECT_TRUE(waitFor([&] { return bytes(txt) == "Saved as rich text, then plain\r\n"; }))
        << bytes(txt).data();

    // Two new changed documents: Save All asks for each in tab order; the
    // start-up document and b.txt have no changes and are left alone.
    walk.click(kNew);
    walk.type(QStringLiteral("third"));
    walk.click(kNew);
    walk.type(QStringLiteral("fourth"));
    walk.click(kSaveAll);
    const QString third = walk.file(QStringLiteral("c.rtf")),
                  fourth = walk.file(QStringLiteral("d.txt"));
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Save \\[Untitled3\\.rtf\\] As$"), third));
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Save \\[Untitled4\\.rtf\\] As$"), fourth));
    EXPECT_TRUE(waitFor([&] { return text(third) == QStringLiteral("third"); }));
    EXPECT_TRUE(waitFor([&] { return text(fourth) == QStringLiteral("fourth"); }));
    // As with Save, the name decides: RTF markup in a .txt file would be
    // spoilt for every other program.
    EXPECT_EQ(bytes(fourth), QByteArray("fourth\r\n"));
    EXPECT_TRUE(bytes(third).startsWith("{\\rtf1"));
    EXPECT_EQ(bytes(txt), QByteArray("Saved as rich text, then plain\r\n"));
    walk.backToWindow();
    walk.click(kSaveAll);
    EXPECT_TRUE(walk.noDialog(QStringLiteral("^Save \\["))) << "nothing is left unsaved";
    walk.screenshot(QStringLiteral("saved"));

    // Open reads a.rtf into a new tab that has the keyboard, the caret at the
    // start, and the path: Save writes it back without a dialog.
    walk.click(kOpen);
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Select File$"), rtf));
    walk.backToWindow();
    walk.type(QStringLiteral("Reopened: "));
    walk.click(kSave);
    EXPECT_TRUE(walk.noDialog(QStringLiteral("^Save \\[")));
    EXPECT_TRUE(waitFor([&] {
        return text(rtf) == QStringLiteral("Reopened: Saved as rich text");
    })) << text(rtf).toStdString();
    EXPECT_EQ(walk.session().process().state(), QProcess::Running);
}

TEST(FilesWalk, OpenAWordPadFileAndSaveItBackWithItsFormats) {
    WALK_NEEDS_DISPLAY();
    Walk walk(QStringLiteral("open"));
    ASSERT_TRUE(walk.start());
    // A copy: the walk saves over the file it opened.
    const QString original = QStringLiteral(FERROTAB_TEST_DATA "/rtf/wordpad.rtf");
    const QString path = walk.file(QStringLiteral("shopping.rtf"));
    ASSERT_TRUE(QFile::copy(original, path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    walk.click(kOpen);
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Select File$"), path));
    walk.backToWindow();
    walk.screenshot(QStringLiteral("opened"));
    // The new tab owns the path: Save asks nothing and writes it back.
    walk.click(kSave);
    EXPECT_TRUE(walk.noDialog(QStringLiteral("^Save \\[")));
    ASSERT_TRUE(waitFor([&] { return bytes(path) != bytes(original); }))
        << "the file was written again";

    const QJsonArray before = paragraphs(original), after = paragraphs(path);
    ASSERT_EQ(after.size(), before.size());
    for (int i = 0; i < before.size(); ++i) {
        const QJsonObject was = before[i].toObject(), is = after[i].toObject();
        EXPECT_EQ(is.value(QStringLiteral("align")), was.value(QStringLiteral("align")))
            << "paragraph " << i;
        EXPECT_EQ(is.value(QStringLiteral("list")), was.value(QStringLiteral("list")))
            << "paragraph " << i;
        EXPECT_EQ(is.value(QStringLiteral("runs")), was.value(QStringLiteral("runs")))
            << "paragraph " << i;
    }
    EXPECT_EQ(text(path), text(original));
}

TEST(FilesWalk, FilesNamedOnTheCommandLineOpenInTabsAsTheMenuEntryStartsThem) {
    WALK_NEEDS_DISPLAY();
    Walk walk(QStringLiteral("command-line"));
    const QString notes = walk.file(QStringLiteral("Meeting notes.rtf"));
    {
        QFile file(notes);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
            "{\\colortbl ;\\red192\\green0\\blue0;\\red0\\green64\\blue160;}"
            "\\pard\\qc\\f1\\fs40\\b\\cf2 Meeting notes\\b0\\cf0\\par"
            "\\pard\\f0\\fs22 Decided: ship on {\\b Friday}, {\\i after} the last test run.\\par"
            "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\fi-360\\li720 "
            "{\\cf1 Open items} stay open\\par"
            "{\\pntext\\'b7\\tab}{\\ul underlined} and {\\strike struck} words\\par}");
    }
    const QString original = QStringLiteral(FERROTAB_TEST_DATA "/rtf/wordpad.rtf");
    const QString path = walk.file(QStringLiteral("shopping list.rtf"));
    ASSERT_TRUE(QFile::copy(original, path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    // Exec=ferrotab %F
    ASSERT_TRUE(walk.start({notes, walk.file(QStringLiteral("missing.rtf")), path}));

    // The file that is not there is reported; the next one still opens.
    const QString report = walk.dialog(QStringLiteral("^Application Error$"));
    ASSERT_FALSE(report.isEmpty()) << "an unreadable file named on the command line is reported";
    ASSERT_TRUE(walk.close(report, QStringLiteral("Return")));
    walk.backToWindow();
    walk.screenshot(QStringLiteral("opened"));

    // The last file's tab is the current one, with the keyboard and its
    // path: typing goes to its start, and Save writes it back without asking.
    walk.type(QStringLiteral("Hello, "));
    walk.click(kSave);
    EXPECT_TRUE(walk.noDialog(QStringLiteral("^Save \\[")));
    EXPECT_TRUE(waitFor([&] { return text(path) == QStringLiteral("Hello, ") + text(original); }))
        << text(path).toStdString();
    walk.click(kSaveAs);
    const QString dialog = walk.dialog(QStringLiteral("^Save \\[shopping list\\.rtf\\] As$"));
    ASSERT_FALSE(dialog.isEmpty()) << "the file's tab is the current one";
    ASSERT_TRUE(walk.close(dialog, QStringLiteral("Escape")));
    walk.backToWindow();

    // The first file's tab, with its formats as they were written (the
    // README's screenshot).
    walk.session().clickControl(1650, 1680, 1800, 300);
    walk.screenshot(QStringLiteral("several-tabs"));
}

} // namespace
