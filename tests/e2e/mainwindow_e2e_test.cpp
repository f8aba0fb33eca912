#include "x11session.h"

#include <QRect>
#include <gtest/gtest.h>

namespace {

// How many pixels of a region differ between two screenshots.
int changedPixels(const QImage& before, const QImage& after, const QRect& region) {
    int changed = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            changed += before.pixel(x, y) != after.pixel(x, y);
    return changed;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (X11Session::display().isEmpty())
            GTEST_SKIP() << "no X display for end-to-end tests";
        ASSERT_TRUE(session.start()) << "the editor's window did not appear";
    }
    X11Session session;
};

TEST_F(MainWindow, OpensCentredWithTheDesignedClientArea) {
    const QRect window = session.geometry(session.mainWindow());
    EXPECT_EQ(window.size(), QSize(968, 672));
    const QStringList screen =
        session.run(QStringLiteral("xdotool"), {QStringLiteral("getdisplaygeometry")})
            .split(QLatin1Char(' '));
    ASSERT_EQ(screen.size(), 2);
    EXPECT_NEAR(window.center().x(), screen[0].toInt() / 2, 2);
    EXPECT_NEAR(window.center().y(), screen[1].toInt() / 2, 2);
    const QImage shot = session.screenshot(session.mainWindow(), QStringLiteral("main-window"));
    ASSERT_EQ(shot.size(), QSize(968, 672));
}

TEST_F(MainWindow, TypedTextAppearsAndMarksTheTab) {
    const QString window = session.mainWindow();
    // The surface lies at 8 + 32 pixels inside the tab strip at (8, 110).
    session.xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                     QStringLiteral("300"), QStringLiteral("300"), QStringLiteral("click"),
                     QStringLiteral("1")});
    ASSERT_TRUE(session.waitUntilIdle());
    const QImage before = session.screenshot(window, QStringLiteral("before-typing"));
    ASSERT_FALSE(before.isNull());
    session.type(QStringLiteral("Hello Ferrotab"));
    const QRect textArea(16, 150, 400, 30);
    const QRect tabArea(8, 110, 200, 22);
    // The editor paints after it has taken the keys: look until both show.
    QImage after;
    waitFor([&] {
        after = session.screenshot(window, QStringLiteral("after-typing"));
        return !after.isNull() && changedPixels(before, after, textArea) > 50 &&
               changedPixels(before, after, tabArea) > 5;
    });
    ASSERT_FALSE(after.isNull());
    EXPECT_GT(changedPixels(before, after, textArea), 50) << "the typed text is drawn";
    EXPECT_GT(changedPixels(before, after, tabArea), 5) << "the tab caption gains its mark";
    EXPECT_EQ(session.process().state(), QProcess::Running);
}

} // namespace
