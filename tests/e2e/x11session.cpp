#include "x11session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRect>
#include <QRegularExpression>
#include <QThread>

QString X11Session::display() {
    const QByteArray ours = qgetenv("FERROTAB_E2E_DISPLAY");
    return QString::fromLocal8Bit(ours.isEmpty() ? qgetenv("DISPLAY") : ours);
}

X11Session::X11Session() = default;

X11Session::~X11Session() {
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
    editor_.start(program_.isEmpty() ? QStringLiteral(FERROTAB_BINARY) : program_, arguments);
    if (!editor_.waitForStarted(5000))
        return false;
    const auto window = waitForWindow(QStringLiteral("^Ferrotab$"));
    window_ = window.value_or(QString());
    return window.has_value();
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

std::optional<QString> X11Session::waitForWindow(const QString& titleRegex, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        const QStringList found =
            xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--name"), titleRegex})
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!found.isEmpty())
            return found.constLast();
        QThread::msleep(50);
    }
    return std::nullopt;
}

std::optional<QString> X11Session::waitForDialog(const QString& titleRegex, int timeoutMs) {
    std::optional<QString> found;
    waitFor(
        [&] {
            const QStringList windows =
                xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                         QStringLiteral("--name"), titleRegex})
                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            for (const QString& window : windows)
                if (window != window_)
                    found = window;
            return found.has_value();
        },
        timeoutMs);
    return found;
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
    QThread::msleep(100);
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
    QThread::msleep(150);
}

void X11Session::pointAtControl(int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    const int x = (leftTwips + widthTwips / 2) / 15;
    const int y = (topTwips + heightTwips / 2) / 15;
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window_, QString::number(x),
             QString::number(y)});
    QThread::msleep(150);
}

void X11Session::type(const QString& text) {
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), text});
    QThread::msleep(150);
}

void X11Session::key(const QString& name) {
    xdotool({QStringLiteral("key"), name});
    QThread::msleep(150);
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
