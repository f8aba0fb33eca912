#include "tests/e2e/x11session.h"

#include <QApplication>
#include <gtest/gtest.h>

// The window runs on the test X server with its real X11 services when there
// is one; without one every test here skips itself.
int main(int argc, char** argv) {
    const QString display = X11Session::display();
    if (display.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        qputenv("DISPLAY", display.toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
