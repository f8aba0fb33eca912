// The installed tree as a desktop finds it, and the installed program finding
// its hand pointer from wherever it is started.
#include "walkthrough_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <filesystem>

using namespace walk;

namespace {

QString installed(const QString& relative) {
    return prefix() + QLatin1Char('/') + relative;
}

TEST(InstalledTree, TheProgramSitsBesideItsPointerAndTheCommandLinksToIt) {
    const QFileInfo program(installed(QStringLiteral("lib/ferrotab/ferrotab")));
    ASSERT_TRUE(program.isFile() && program.isExecutable()) << program.filePath().toStdString();
    EXPECT_TRUE(QFileInfo(installed(QStringLiteral("lib/ferrotab/HAND-M.CUR"))).size() > 0);
    EXPECT_EQ(QFile(installed(QStringLiteral("lib/ferrotab/HAND-M.CUR"))).size(),
              QFile(QStringLiteral(FERROTAB_BUILT_CURSOR)).size());

    const QFileInfo command(installed(QStringLiteral("bin/ferrotab")));
    ASSERT_TRUE(command.isSymLink());
    // Relative, so that a staged (DESTDIR) or moved tree keeps working.
    EXPECT_EQ(QFile::symLinkTarget(command.filePath()), program.canonicalFilePath());
    EXPECT_EQ(std::filesystem::read_symlink(command.filePath().toStdString()).string(),
              "../lib/ferrotab/ferrotab");
    EXPECT_TRUE(QFileInfo(installed(QStringLiteral("bin/ferrotab-rtf"))).isExecutable());
}

TEST(InstalledTree, TheMenuEntryOffersFerrotabForRichAndPlainText) {
    const QString path =
        installed(QStringLiteral("share/applications/org.ferrotab.Ferrotab.desktop"));
    ASSERT_TRUE(QFileInfo::exists(path));
    // The keys of its [Desktop Entry] group, read as the desktop reads them.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.value(0), QStringLiteral("[Desktop Entry]"));
    QMap<QString, QString> entry;
    for (const QString& line : lines.mid(1)) {
        if (line.startsWith(QLatin1Char('[')))
            break;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            entry.insert(line.left(equals), line.mid(equals + 1));
    }
    EXPECT_EQ(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    EXPECT_EQ(entry.value(QStringLiteral("Name")), QStringLiteral("Ferrotab"));
    EXPECT_EQ(entry.value(QStringLiteral("GenericName")), QStringLiteral("Rich Text Editor"));
    EXPECT_EQ(entry.value(QStringLiteral("Exec")), QStringLiteral("ferrotab %F"));
    EXPECT_EQ(entry.value(QStringLiteral("Icon")), QStringLiteral("ferrotab"));
    EXPECT_EQ(entry.value(QStringLiteral("MimeType")),
              QStringLiteral("text/rtf;application/rtf;text/plain;"));
    EXPECT_TRUE(entry.value(QStringLiteral("Categories"))
                    .split(QLatin1Char(';'))
                    .contains(QStringLiteral("Office")));
    EXPECT_TRUE(QFileInfo::exists(
        installed(QStringLiteral("share/metainfo/org.ferrotab.Ferrotab.metainfo.xml"))));
}

TEST(InstalledTree, TheIconComesInEverySizeOfTheSameDrawing) {
    EXPECT_TRUE(
        QFileInfo(installed(QStringLiteral("share/icons/hicolor/scalable/apps/ferrotab.svg")))
            .size() > 0);
    QImage largest;
    for (const QString& size : QStringLiteral(FERROTAB_ICON_SIZES).split(QLatin1Char(','))) {
        const QString path =
            installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/ferrotab.png").arg(size));
        const QImage icon(path);
        ASSERT_FALSE(icon.isNull()) << path.toStdString();
        EXPECT_EQ(icon.size(), QSize(size.toInt(), size.toInt())) << path.toStdString();
        EXPECT_TRUE(icon.hasAlphaChannel());
        EXPECT_EQ(qAlpha(icon.pixel(0, icon.height() - 1)), 0) << "the corners stay clear";
        largest = icon;
    }
    // The 256 one: the rust front tab at the top right, the white page below.
    ASSERT_EQ(largest.width(), 256);
    EXPECT_EQ(QColor(largest.pixel(160, 40)), QColor(QStringLiteral("#c8562a")));
    EXPECT_EQ(QColor(largest.pixel(40, 225)), QColor(QStringLiteral("#fbfaf6")));
}

// Over a toolbar control, is the pointer the hand drawn in hand-cursor.txt?
bool pointerIsHand(Walk& walk) {
    walk.session().pointAtControl(kBold.left, kBold.top, kBold.width);
    const Pointer shown = pointer();
    const Pointer hand = handDrawing();
    return shown.hotspot == hand.hotspot && pixelsDiffering(shown.image, hand.image) == 0;
}

TEST(InstalledProgram, FindsItsHandPointerThroughTheLinkFromAnotherFolder) {
    WALK_NEEDS_DISPLAY();
    Walk walk(QStringLiteral("pointer"));
    // Started as the menu does: by the command's name on the PATH-like link,
    // with a working directory that holds nothing of ours.
    walk.session().setWorkingDirectory(QDir::rootPath());
    ASSERT_TRUE(walk.start());
    walk.session().pointAtControl(kTextArea.left, kTextArea.top, kTextArea.width, kTextArea.height);
    walk.session().xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"),
                            walk.session().mainWindow(), QStringLiteral("964"),
                            QStringLiteral("38")});
    walk.session().waitUntilIdle();
    const Pointer bare = pointer();
    EXPECT_NE(pixelsDiffering(bare.image, handDrawing().image), 0)
        << "the bare window shows the arrow";
    EXPECT_TRUE(pointerIsHand(walk)) << "the hand from lib/ferrotab/HAND-M.CUR";
}

TEST(InstalledProgram, ACopyWithoutThePointerFileBesideItShowsNoHand) {
    WALK_NEEDS_DISPLAY();
    // The same program in a folder of its own without HAND-M.CUR, started
    // from the folder that does hold one: only its own folder counts.
    QTemporaryDir bare;
    const QString copy = bare.filePath(QStringLiteral("ferrotab"));
    ASSERT_TRUE(QFile::copy(installed(QStringLiteral("lib/ferrotab/ferrotab")), copy));
    Walk walk(QStringLiteral("no-pointer"));
    walk.session().setProgram(copy);
    walk.session().setWorkingDirectory(installed(QStringLiteral("lib/ferrotab")));
    ASSERT_TRUE(walk.start());
    EXPECT_FALSE(pointerIsHand(walk));
}

} // namespace
