#include "walkthrough_support.h"

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTextStream>
#include <QWindow>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace walk {
namespace {

// The walks' own Qt application, on the test display: it shows the
// reference message boxes. Made on first use so that listing the tests
// needs no display.
QApplication& application() {
    static int argc = 1;
    static char name[] = "walkthrough_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("DISPLAY", X11Session::display().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Lets the walks' own application handle what the X server has sent it, and
// waits until the server has every request it made in turn (what it drew, a
// window it hid): a round trip on its connection.
void catchUp() {
    QCoreApplication::processEvents();
    xcb_connection_t* connection =
        qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

QString fileSafe(const QString& text) {
    QString safe = text;
    safe.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
    return safe.left(40);
}

} // namespace

QString prefix() {
    return QStringLiteral(FERROTAB_TEST_PREFIX);
}
QString installedProgram() {
    return prefix() + QStringLiteral("/bin/ferrotab");
}

Walk::Walk(const QString& name) : name_(name) {
    session_.setProgram(installedProgram());
}

bool Walk::start(const QStringList& arguments) {
    return session_.start(arguments);
}

QString Walk::dialog(const QString& titleRegex, int timeoutMs) {
    const std::optional<QString> window = session_.waitForDialog(titleRegex, timeoutMs);
    if (!window)
        return {};
    session_.focus(*window);
    session_.screenshot(*window, QStringLiteral("%1-%2-%3")
                                     .arg(name_)
                                     .arg(++shots_, 2, 10, QLatin1Char('0'))
                                     .arg(fileSafe(session_.title(*window))));
    return *window;
}

bool Walk::noDialog(const QString& titleRegex, int timeoutMs) {
    return !session_.waitForDialog(titleRegex, timeoutMs);
}

bool Walk::answerFileDialog(const QString& titleRegex, const QString& path) {
    const QString window = dialog(titleRegex);
    if (window.isEmpty())
        return false;
    type(path);
    key(QStringLiteral("Return"));
    return session_.waitUntilGone(window);
}

bool Walk::close(const QString& window, const QString& keys) {
    session_.focus(window);
    key(keys);
    return session_.waitUntilGone(window);
}

bool Walk::answerQuestion(const QString& window, const QString& answer) {
    session_.focus(window);
    key(QStringLiteral("Escape"));
    if (session_.waitUntilGone(window, 500))
        return false;
    return close(window, answer);
}

QImage Walk::screenshot(const QString& name) {
    return session_.screenshot(
        session_.mainWindow(),
        QStringLiteral("%1-%2-%3").arg(name_).arg(++shots_, 2, 10, QLatin1Char('0')).arg(name));
}

QJsonArray paragraphs(const QString& path) {
    QProcess tool;
    tool.start(prefix() + QStringLiteral("/bin/ferrotab-rtf"), {QStringLiteral("dump"), path});
    tool.waitForFinished(10000);
    return QJsonDocument::fromJson(tool.readAllStandardOutput())
        .object()
        .value(QStringLiteral("paragraphs"))
        .toArray();
}

QString text(const QString& path) {
    QProcess tool;
    tool.start(prefix() + QStringLiteral("/bin/ferrotab-rtf"), {QStringLiteral("text"), path});
    tool.waitForFinished(10000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

QJsonObject run(const QJsonArray& paragraphs, int paragraph, int run) {
    return paragraphs.at(paragraph)
        .toObject()
        .value(QStringLiteral("runs"))
        .toArray()
        .at(run)
        .toObject();
}

void requestClose(const QString& window) {
    Display* display = XOpenDisplay(X11Session::display().toLocal8Bit().constData());
    if (!display)
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(window.toULong());
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
}

Pointer pointer() {
    Pointer result;
    Display* display = XOpenDisplay(X11Session::display().toLocal8Bit().constData());
    if (!display)
        return result;
    int eventBase = 0, errorBase = 0;
    if (XFixesQueryExtension(display, &eventBase, &errorBase)) {
        if (XFixesCursorImage* cursor = XFixesGetCursorImage(display)) {
            result.image =
                QImage(cursor->width, cursor->height, QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < cursor->height; ++y)
                for (int x = 0; x < cursor->width; ++x)
                    result.image.setPixel(x, y, QRgb(cursor->pixels[y * cursor->width + x]));
            result.hotspot = QPoint(cursor->xhot, cursor->yhot);
            XFree(cursor);
        }
    }
    XCloseDisplay(display);
    return result;
}

Pointer handDrawing() {
    Pointer hand;
    hand.image = QImage(32, 32, QImage::Format_ARGB32_Premultiplied);
    hand.image.fill(Qt::transparent);
    QFile file(QStringLiteral(FERROTAB_HAND_DRAWING));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return hand;
    QTextStream in(&file);
    int y = 0;
    while (!in.atEnd() && y < 32) {
        const QString line = in.readLine();
        if (line.startsWith(QStringLiteral("hotspot "))) {
            const QStringList parts = line.split(QLatin1Char(' '));
            hand.hotspot = QPoint(parts.value(1).toInt(), parts.value(2).toInt());
        } else if (!line.isEmpty() && !line.startsWith(QLatin1Char('#'))) {
            for (int x = 0; x < qMin(32, int(line.size())); ++x) {
                if (line[x] == QLatin1Char('#'))
                    hand.image.setPixel(x, y, qRgba(0, 0, 0, 255));
                else if (line[x] == QLatin1Char('o'))
                    hand.image.setPixel(x, y, qRgba(255, 255, 255, 255));
            }
            ++y;
        }
    }
    return hand;
}

int pixelsDiffering(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return qMax(a.width() * a.height(), b.width() * b.height());
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    int differing = 0;
    for (int y = 0; y < left.height(); ++y)
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y), q = right.pixel(x, y);
            if (qAlpha(p) == 0 && qAlpha(q) == 0)
                continue;
            differing += p != q;
        }
    return differing;
}

::testing::AssertionResult showsMessage(X11Session& session, const QString& window,
                                        const QString& title, const QString& text, Buttons buttons,
                                        Icon icon, const QString& shotName) {
    application();
    const QString actualTitle = session.title(window);
    if (actualTitle != title)
        return ::testing::AssertionFailure() << "the box is titled \"" << actualTitle.toStdString()
                                             << "\", not \"" << title.toStdString() << "\"";
    const QMessageBox::Icon shown = icon == Icon::Question      ? QMessageBox::Question
                                    : icon == Icon::Exclamation ? QMessageBox::Warning
                                                                : QMessageBox::NoIcon;
    QMessageBox reference(shown, title, text, QMessageBox::NoButton);
    if (buttons == Buttons::YesNo) {
        reference.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        reference.setDefaultButton(QMessageBox::Yes);
    } else {
        reference.setStandardButtons(QMessageBox::Ok);
        reference.setDefaultButton(QMessageBox::Ok);
    }
    reference.show();
    // Both boxes have the focus when they are taken, so that the default
    // button looks the same in both.
    const QString referenceWindow = QString::number(reference.winId());
    waitFor([&] {
        catchUp();
        return reference.windowHandle()->isExposed();
    });
    session.focus(referenceWindow);
    waitFor([&] {
        catchUp();
        return reference.isActiveWindow();
    });
    catchUp(); // drawn as the active box
    const QImage expected =
        session.screenshot(referenceWindow, shotName + QStringLiteral("-expected"));
    reference.hide();
    catchUp();
    session.focus(window);
    // The box may repaint for its focus after the editor answered: look again
    // until the time is up before calling it different.
    QImage actual;
    int differing = -1;
    waitFor(
        [&] {
            actual = session.screenshot(window, shotName);
            if (actual.isNull() || expected.isNull())
                return false;
            differing = pixelsDiffering(actual, expected);
            return differing <= 20;
        },
        2000);
    if (!actual.isNull() && !expected.isNull() && differing <= 20)
        return ::testing::AssertionSuccess();
    if (actual.isNull() || expected.isNull())
        return ::testing::AssertionFailure() << "no screenshot of the box";
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << "the box is " << actual.width() << "x" << actual.height()
               << " pixels, the box with \"" << text.toStdString() << "\" " << expected.width()
               << "x" << expected.height();
    return ::testing::AssertionFailure()
           << differing << " pixels differ from a box showing \"" << text.toStdString()
           << "\" (see the artefacts " << shotName.toStdString() << "*.png)";
}

OtherClient::OtherClient(X11Session& session) : session_(session) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), X11Session::display());
    xev_.setProcessEnvironment(env);
    xev_.start(QStringLiteral("xev"),
               {QStringLiteral("-name"), QStringLiteral("walkthrough-other-client"),
                QStringLiteral("-event"), QStringLiteral("keyboard")});
    window_ =
        session_.waitForWindow(QStringLiteral("^walkthrough-other-client$")).value_or(QString());
}

OtherClient::~OtherClient() {
    xev_.kill();
    xev_.waitForFinished();
}

bool OtherClient::sawKey(const QString& keysym) {
    xev_.waitForReadyRead(0);
    output_ += QString::fromLocal8Bit(xev_.readAllStandardOutput());
    return output_.contains(QStringLiteral(", ") + keysym + QLatin1Char(')'));
}

} // namespace walk
