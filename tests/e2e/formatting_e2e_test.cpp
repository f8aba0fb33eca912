#include "x11session.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QJsonObject dump(const QString& path) {
    QProcess tool;
    tool.start(QStringLiteral(FERROTAB_RTF_TOOL), {QStringLiteral("dump"), path});
    tool.waitForFinished(10000);
    return QJsonDocument::fromJson(tool.readAllStandardOutput()).object();
}

TEST(FormattingEndToEnd, ABoldCentredFourteenPointWordSurvivesTheSave) {
    if (X11Session::display().isEmpty())
        GTEST_SKIP() << "no X display for end-to-end tests";
    X11Session session;
    ASSERT_TRUE(session.start());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("formatted.rtf"));

    session.clickControl(1000, 6000, 3000, 1000); // into the text
    session.type(QStringLiteral("Heading and plain words"));
    // A double click on the first word of the first line selects it.
    session.xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), session.mainWindow(),
                     QStringLiteral("34"), QStringLiteral("154"), QStringLiteral("click"),
                     QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("1")});
    QThread::msleep(300);
    session.clickControl(8280, 630, 1440);  // Bold
    session.clickControl(2160, 1140, 1920); // Center
    // The size list's drop-down: its own search finds 14, Return picks it.
    session.clickControl(4335, 630, 240, 345);
    QThread::msleep(300);
    session.type(QStringLiteral("14"));
    session.key(QStringLiteral("Return"));
    session.screenshot(session.mainWindow(), QStringLiteral("formatting"));

    session.clickControl(3720, 120, 1560); // Save
    ASSERT_TRUE(session.waitForWindow(QStringLiteral("^Save \\[Untitled1\\.rtf\\*?\\] As$")));
    session.type(path);
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(waitFor([&] { return QFileInfo(path).size() > 0; })) << "the file was written";

    const QJsonArray paragraphs = dump(path).value(QStringLiteral("paragraphs")).toArray();
    ASSERT_EQ(paragraphs.size(), 1);
    const QJsonObject paragraph = paragraphs[0].toObject();
    EXPECT_EQ(paragraph.value(QStringLiteral("align")).toString(), QStringLiteral("center"));
    const QJsonArray runs = paragraph.value(QStringLiteral("runs")).toArray();
    ASSERT_GE(runs.size(), 2) << QJsonDocument(paragraph).toJson().toStdString();
    const QJsonObject word = runs[0].toObject();
    EXPECT_EQ(word.value(QStringLiteral("text")).toString(), QStringLiteral("Heading"));
    EXPECT_TRUE(word.value(QStringLiteral("bold")).toBool());
    EXPECT_EQ(word.value(QStringLiteral("size")).toDouble(), 14);
    const QJsonObject rest = runs[1].toObject();
    EXPECT_FALSE(rest.value(QStringLiteral("bold")).toBool());
    EXPECT_EQ(rest.value(QStringLiteral("size")).toDouble(), 9);
}

} // namespace
