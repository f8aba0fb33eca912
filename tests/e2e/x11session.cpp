#include "x11session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRect>
#include <QRegularExpression>
#include <QThread>

#include <poll.h>
#include <xcb/xcb.h>

#include <cstdlib>

QString X11Session::display() {
    const QByteArray ours = qgetenv("FERROTAB_E2E_DISPLAY");
    return QString::fromLocal8Bit(ours.isEmpty() ? qgetenv("DISPLAY") : ours);
}

X11Session::X11Session() = default;

X11Session::~X11Session() {
    if (connection_)
        xcb_disconnect(connection_);
    if (editor_.state() != QProcess::NotRunning) {
        editor_.terminate();
        if (!editor_.waitForFinished(3000)) {
            editor_.kill();
            editor_.waitForFinished(3000);
        }
    }
}

bool X11Session::start(const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_STATE_HOME"),
               stateHome_.isEmpty() ? ownStateHome_.path() : stateHome_);
    editor_.setProcessEnvironment(env);
    editor_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!workingDirectory_.isEmpty())
        editor_.setWorkingDirectory(workingDirectory_);
    // The window of this editor is a new one: another editor, or the test's
    // own window, may carry the same title.
    const QString title = QStringLiteral("^Ferrotab$");
    const QStringList before = windows(title);
    editor_.start(program_.isEmpty() ? QStringLiteral(FERROTAB_BINARY) : program_, arguments);
    if (!editor_.waitForStarted(5000))
        return false;
    window_.clear();
    waitFor(
        [&] {
            for (const QString& window : windows(title))
                if (!before.contains(window))
                    window_ = window;
            return !window_.isEmpty();
        },
        // Generous: under a full parallel test run, with LibreOffice converting
        // beside it, an editor under fiu-run once took longer than 10 s.
        30000);
    if (window_.isEmpty())
        return false;
    waitUntilIdle();
    return true;
}

QString X11Session::run(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display());
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QStringList X11Session::windows(const QString& titleRegex) {
    return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--name"), titleRegex})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::optional<QString> X11Session::waitForWindow(const QString& titleRegex, int timeoutMs) {
    std::optional<QString> found;
    waitFor(
        [&] {
            const QStringList all = windows(titleRegex);
            if (!all.isEmpty())
                found = all.constLast();
            return found.has_value();
        },
        timeoutMs);
    return found;
}

std::optional<QString> X11Session::waitForDialog(const QString& titleRegex, int timeoutMs) {
    std::optional<QString> found;
    waitFor(
        [&] {
            for (const QString& window : windows(titleRegex))
                if (window != window_)
                    found = window;
            return found.has_value();
        },
        timeoutMs);
    return found;
}

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace

bool X11Session::waitUntilIdle(int timeoutMs) {
    // The editor answers a ping while it reads its X events, before its
    // widgets get the input it read with it; a second ping is read only in a
    // later turn of its event loop, once the widgets have had that input.
    QElapsedTimer timer;
    timer.start();
    return ping(timeoutMs) && ping(int(qMax<qint64>(1, timeoutMs - timer.elapsed())));
}

// Sends the editor's main window the window manager's ping (_NET_WM_PING)
// and waits for its answer, which Qt sends to the root window (as the
// protocol has it, for the window manager). The X server
// keeps each client's events in order, so the answer comes after the editor
// has read every key and click sent before the ping.
bool X11Session::ping(int timeoutMs) {
    if (window_.isEmpty())
        return false;
    if (!connection_) {
        connection_ = xcb_connect(display().toLocal8Bit().constData(), nullptr);
        if (xcb_connection_has_error(connection_)) {
            xcb_disconnect(connection_);
            connection_ = nullptr;
            return false;
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        // Qt answers to the root's structure listeners; the root's
        // substructure tells when the window is destroyed.
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        protocolsAtom_ = internAtom(connection_, "WM_PROTOCOLS");
        pingAtom_ = internAtom(connection_, "_NET_WM_PING");
    }
    const xcb_window_t target = window_.toUInt();
    const uint32_t token = ++pings_;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = target;
    message.type = protocolsAtom_;
    message.data.data32[0] = pingAtom_;
    message.data.data32[1] = token; // the time stamp, which the answer repeats
    message.data.data32[2] = target;
    const xcb_void_cookie_t sent = xcb_send_event_checked(
        connection_, 0, target, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    if (xcb_generic_error_t* error = xcb_request_check(connection_, sent)) {
        std::free(error); // the window is gone: nobody will answer
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const uint8_t type = event->response_type & 0x7f;
            bool answered = false, gone = false;
            if (type == XCB_CLIENT_MESSAGE) {
                const auto* answer = reinterpret_cast<xcb_client_message_event_t*>(event);
                answered = answer->type == protocolsAtom_ && answer->data.data32[0] == pingAtom_ &&
                           answer->data.data32[1] == token;
            } else if (type == XCB_DESTROY_NOTIFY) {
                gone = reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == target;
            }
            std::free(event);
            if (answered)
                return true;
            if (gone)
                return false;
        }
        const qint64 left = timeoutMs - timer.elapsed();
        if (xcb_connection_has_error(connection_) || left <= 0)
            return false;
        pollfd readable{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&readable, 1, int(left));
    }
}

bool X11Session::isShown(const QString& window) {
    // xwininfo names the map state of any window, ours or not.
    return run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window})
        .contains(QStringLiteral("Map State: IsViewable"));
}

bool X11Session::waitUntilGone(const QString& window, int timeoutMs) {
    return waitFor([&] { return !isShown(window); }, timeoutMs);
}

void X11Session::focus(const QString& window) {
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    waitUntilIdle();
}

QString X11Session::title(const QString& window) {
    return xdotool({QStringLiteral("getwindowname"), window});
}

QRect X11Session::geometry(const QString& window) {
    // "WINDOW=1\nX=156\nY=176\nWIDTH=968\nHEIGHT=672\nSCREEN=0"
    const QString shell =
        xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    auto field = [&shell](const char* name) {
        const QRegularExpression pattern(QStringLiteral("^%1=(-?\\d+)$").arg(QLatin1String(name)),
                                         QRegularExpression::MultilineOption);
        return pattern.match(shell).captured(1).toInt();
    };
    return QRect(field("X"), field("Y"), field("WIDTH"), field("HEIGHT"));
}

QImage X11Session::screenshot(const QString& window, const QString& name) {
    QDir().mkpath(QStringLiteral(FERROTAB_ARTIFACTS));
    const QString path = QStringLiteral(FERROTAB_ARTIFACTS "/") + name + QStringLiteral(".png");
    run(QStringLiteral("import"), {QStringLiteral("-window"), window, path});
    return QImage(path);
}

void X11Session::clickControl(int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    const int x = (leftTwips + widthTwips / 2) / 15;
    const int y = (topTwips + heightTwips / 2) / 15;
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window_, QString::number(x),
             QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
    waitUntilIdle();
}

void X11Session::pointAtControl(int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    const int x = (leftTwips + widthTwips / 2) / 15;
    const int y = (topTwips + heightTwips / 2) / 15;
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window_, QString::number(x),
             QString::number(y)});
    waitUntilIdle();
}

void X11Session::type(const QString& text) {
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), text});
    waitUntilIdle();
}

void X11Session::key(const QString& name) {
    xdotool({QStringLiteral("key"), name});
    waitUntilIdle();
}

QString X11Session::documentText(const QString& path) {
    QProcess tool;
    tool.start(QStringLiteral(FERROTAB_RTF_TOOL), {QStringLiteral("text"), path});
    tool.waitForFinished(10000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(50);
    }
    return true;
}
