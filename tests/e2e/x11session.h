#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <optional>

struct xcb_connection_t;

// Polls the condition until it holds or the time is up; true when it held.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

// The real editor under the test X server, driven with xdotool as a user
// would: it finds windows by title, clicks, types, and takes screenshots.
class X11Session {
public:
    // The display the test run started, or DISPLAY; empty when neither is set.
    static QString display();

    X11Session();
    ~X11Session();

    // Starts the editor in a program folder of its own and waits for its
    // main window and its first idle moment; returns false when the window
    // does not appear.
    bool start(const QStringList& arguments = {});
    // Which program start() runs (the built editor unless set), and from
    // which working directory (the test's own unless set).
    void setProgram(const QString& program) { program_ = program; }
    void setWorkingDirectory(const QString& folder) { workingDirectory_ = folder; }
    // The editor's XDG_STATE_HOME, where it keeps recovery copies: a folder
    // of the session's own unless set, so that no run of the editor ever
    // offers another's documents or leaves copies in the user's home.
    void setStateHome(const QString& folder) { stateHome_ = folder; }
    QProcess& process() { return editor_; }

    // Runs a command on the test display; returns its standard output.
    QString run(const QString& program, const QStringList& arguments, int timeoutMs = 10000);
    QString xdotool(const QStringList& arguments) {
        return run(QStringLiteral("xdotool"), arguments);
    }
    // The visible windows whose title matches, now.
    QStringList windows(const QString& titleRegex);
    // The first visible window whose title matches, waiting up to the timeout.
    std::optional<QString> waitForWindow(const QString& titleRegex, int timeoutMs = 10000);

    // A visible window of the given title other than the main window: a
    // dialog or message box, which may carry the main window's title.
    std::optional<QString> waitForDialog(const QString& titleRegex, int timeoutMs = 10000);
    // Waits until the editor has handled everything sent to it so far: the
    // keys and clicks before this call, and what they started, up to a dialog
    // they opened. False when it did not answer in time or its window is gone.
    bool waitUntilIdle(int timeoutMs = 5000);
    // Whether the window is (or, within the timeout, is no longer) shown.
    bool isShown(const QString& window);
    bool waitUntilGone(const QString& window, int timeoutMs = 5000);
    // Gives a window the keyboard focus, as a click on it or a window
    // manager would; there is no window manager on the test display.
    void focus(const QString& window);
    QString title(const QString& window);

    QString mainWindow() const { return window_; }
    // Clicks the middle of a main-window control given by its designed left,
    // top and width in twips (15 twips to the pixel at 96 dpi; every control
    // of the toolbar is 405 twips high). This and the other input below
    // return once the editor has handled it (waitUntilIdle()).
    void clickControl(int leftTwips, int topTwips, int widthTwips, int heightTwips = 405);
    // Moves the pointer to the middle of such a control, without a click.
    void pointAtControl(int leftTwips, int topTwips, int widthTwips, int heightTwips = 405);
    // Types text, or presses a key such as "Return", into the focused window.
    void type(const QString& text);
    void key(const QString& name);
    // The Text of a document file as the editor reads it (ferrotab-rtf text).
    QString documentText(const QString& path);
    // The window's position and size on the screen.
    QRect geometry(const QString& window);
    // A screenshot of a window, also kept under the artefacts folder by name.
    QImage screenshot(const QString& window, const QString& name);

private:
    QProcess editor_;
    QString window_;
    QString program_;
    QString workingDirectory_;
    QString stateHome_;
    QTemporaryDir ownStateHome_;
    // Our own connection to the test display, for the pings of waitUntilIdle().
    bool ping(int timeoutMs);
    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0, protocolsAtom_ = 0, pingAtom_ = 0, pings_ = 0;
};
