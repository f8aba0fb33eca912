#pragma once

// What the walk-through tests share: the installed program, the toolbar as a
// user finds it, files read back with the installed ferrotab-rtf, and the
// X protocol requests that xdotool does not make.

#include "x11session.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace walk {

// The prefix the test run installed into, and the program's paths in it.
QString prefix();
QString installedProgram(); // PREFIX/bin/ferrotab, the link a user starts

// The toolbar by its designed place in twips (left, top, width, height).
// Check boxes and option buttons answer a click on their box and caption
// only, not on the rest of their designed width: they are given the width
// of the start of their caption, where a user clicks.
struct Control {
    int left, top, width, height = 405;
};
inline constexpr Control kNew{120, 120, 1560}, kOpen{1800, 120, 1800}, kSave{3720, 120, 1560},
    kSaveAs{5400, 120, 1920}, kSaveAll{7440, 120, 1080}, kFind{8640, 120, 1080},
    kFindNext{9840, 120, 1200}, kClose{11160, 120, 1800}, kCloseAll{13080, 120, 1320},
    kFontWizard{4680, 630, 3480}, kBold{8280, 630, 600}, kItalic{9840, 630, 600},
    kUnderline{11400, 630, 600}, kBullet{12960, 630, 600}, kLeft{120, 1140, 600},
    kCenter{2160, 1140, 600}, kRight{4200, 1140, 600}, kIndentLeft{6240, 1140, 1920},
    kIndentRight{8280, 1140, 1920}, kTextColor{10320, 1140, 1920}, kBackColor{12360, 1140, 2040},
    // The drop-down arrows at the right end of the font-name and size boxes.
    kFontNameArrow{3375, 630, 240, 345}, kFontSizeArrow{4335, 630, 240, 345},
    // The text below its last line: a click puts the caret at the end.
    kTextArea{1000, 6000, 3000, 1000};

// The installed editor under the test display, with the steps a user takes.
class Walk {
public:
    explicit Walk(const QString& name);
    bool start(const QStringList& arguments = {});
    X11Session& session() { return session_; }
    QString folder() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

    void click(const Control& control) {
        session_.clickControl(control.left, control.top, control.width, control.height);
    }
    void clickIntoText() { click(kTextArea); }
    void type(const QString& text) { session_.type(text); }
    void key(const QString& keys) { session_.key(keys); }
    // The main window has the focus again, as a window manager gives it back
    // after a dialog; there is none on the test display.
    void backToWindow() { session_.focus(session_.mainWindow()); }

    // Waits for a dialog or box by its title, gives it the focus and keeps a
    // screenshot of it; empty when it does not come.
    QString dialog(const QString& titleRegex, int timeoutMs = 8000);
    // True when no dialog of that title comes within the time.
    bool noDialog(const QString& titleRegex, int timeoutMs = 800);
    // Answers the save or open dialog with a path and waits until it is gone.
    bool answerFileDialog(const QString& titleRegex, const QString& path);
    // Presses a key in a dialog and waits until it is gone.
    bool close(const QString& window, const QString& keys);
    // Answers a Yes/No question ("y" or "n"), after checking that Escape
    // leaves it open: it has no answer but its buttons.
    bool answerQuestion(const QString& window, const QString& answer);

    QImage screenshot(const QString& name);

private:
    QString name_;
    QTemporaryDir dir_;
    X11Session session_;
    int shots_ = 0;
};

// The file as the installed ferrotab-rtf reads it.
QJsonArray paragraphs(const QString& path);
QString text(const QString& path);
QJsonObject run(const QJsonArray& paragraphs, int paragraph, int run);

// Asks a window to close as a window manager's close box does.
void requestClose(const QString& window);

// The pointer's current image on the test display.
struct Pointer {
    QImage image;
    QPoint hotspot;
};
Pointer pointer();
// The hand as drawn in assets/hand-cursor.txt, with its hotspot.
Pointer handDrawing();
// How many pixels differ in opacity or colour (transparent pixels all alike).
int pixelsDiffering(const QImage& a, const QImage& b);

// Whether the box on screen is the message box a user should see: the test
// shows a box of its own with the given title, text, icon and buttons on the
// same display and compares the two pixel for pixel. Both are kept as
// screenshots.
enum class Buttons { Ok, YesNo };
enum class Icon { None, Question, Exclamation };
::testing::AssertionResult showsMessage(X11Session& session, const QString& window,
                                        const QString& title, const QString& text, Buttons buttons,
                                        Icon icon, const QString& shotName);

// Another X client holding the keyboard focus, which prints every key it gets.
class OtherClient {
public:
    explicit OtherClient(X11Session& session);
    ~OtherClient();
    bool ready() const { return !window_.isEmpty(); }
    void focus() { session_.focus(window_); }
    // Whether the client got this key (xev's keysym name, as "n") in what it
    // has printed so far; it does not wait.
    bool sawKey(const QString& keysym);

private:
    X11Session& session_;
    QProcess xev_;
    QString window_;
    QString output_;
};

} // namespace walk

// Skips a walk without a display for the end-to-end tests.
#define WALK_NEEDS_DISPLAY()                                                                       \
    do {                                                                                           \
        if (X11Session::display().isEmpty())                                                       \
            GTEST_SKIP() << "no X display for the end-to-end tests";                               \
    } while (false)

// Readable QStrings in the test output.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
