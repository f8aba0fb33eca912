#include "tests/e2e/x11session.h"
#include "tests/support/scripted.h"

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <cstring>

namespace {

// Lets the window work until the condition holds; false when the time is up.
bool until(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

// Lets the window handle everything the X server has sent it so far, and
// the commands that queued: a message of our own goes through the server to
// the window, behind those events, and the window runs until it is back.
class CatchUp : public QAbstractNativeEventFilter {
public:
    CatchUp() {
        const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        connection_ = x11 ? x11->connection() : nullptr;
        if (!connection_)
            return; // no X display: the tests skip themselves
        static const char name[] = "FERROTAB_TEST_CATCH_UP";
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, uint16_t(strlen(name)), name), nullptr);
        atom_ = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        qApp->installNativeEventFilter(this);
    }
    ~CatchUp() override { qApp->removeNativeEventFilter(this); }

    bool operator()(const QWidget& window) {
        const uint32_t token = ++sent_;
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = xcb_window_t(window.winId());
        message.type = atom_;
        message.data.data32[0] = token;
        xcb_send_event(connection_, 0, message.window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection_);
        const bool back = until([&] { return received_ == token; });
        // What the keys queued (a command runs after the key's event).
        QCoreApplication::processEvents();
        return back;
    }

    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            return false;
        const auto* ours = reinterpret_cast<const xcb_client_message_event_t*>(event);
        if (ours->type != atom_)
            return false;
        received_ = ours->data.data32[0];
        return true;
    }

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_atom_t atom_ = XCB_ATOM_NONE;
    uint32_t sent_ = 0, received_ = 0;
};

// Counts what the X server sends the window, next to the window's own
// filters: key presses that reach the root window (only grabbed keys do) and
// the notices that the key map changed.
class ServerEvents : public QAbstractNativeEventFilter {
public:
    ServerEvents() {
        xcb_connection_t* connection =
            qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_query_extension_reply_t* xkb = xcb_query_extension_reply(
            connection, xcb_query_extension(connection, 9, "XKEYBOARD"), nullptr);
        xkbEvent_ = xkb && xkb->present ? xkb->first_event : 0;
        std::free(xkb);
        qApp->installNativeEventFilter(this);
    }
    ~ServerEvents() override { qApp->removeNativeEventFilter(this); }

    int rootPresses = 0;
    int mapChanges = 0;

    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS &&
            reinterpret_cast<const xcb_key_press_event_t*>(event)->event == root_)
            ++rootPresses;
        // A new keyboard (0) or a new key map (1), in XKB's numbering.
        const uint8_t xkbType = reinterpret_cast<const uint8_t*>(event)[1];
        if (type == XCB_MAPPING_NOTIFY || (xkbEvent_ && type == xkbEvent_ && xkbType <= 1))
            ++mapChanges;
        return false;
    }

private:
    xcb_window_t root_ = 0;
    uint8_t xkbEvent_ = 0;
};

// The keyboard layout of the test display for one test; the one it had comes
// back at the end, also when the test fails.
class KeyboardLayout {
public:
    explicit KeyboardLayout(X11Session& session) : session_(session) {
        const auto match =
            QRegularExpression(QStringLiteral("layout:\\s+(\\S+)"))
                .match(session_.run(QStringLiteral("setxkbmap"), {QStringLiteral("-query")}));
        if (match.hasMatch())
            original_ = match.captured(1);
    }
    ~KeyboardLayout() {
        if (changed_)
            set(original_);
    }
    // False when setxkbmap (package x11-xkb-utils) is missing or fails.
    bool set(const QString& layout) {
        changed_ = true;
        session_.run(QStringLiteral("setxkbmap"), {layout});
        return session_.run(QStringLiteral("setxkbmap"), {QStringLiteral("-query")})
            .contains(QRegularExpression(QStringLiteral("layout:\\s+") + layout + QLatin1Char('$'),
                                         QRegularExpression::MultilineOption));
    }

private:
    X11Session& session_;
    QString original_ = QStringLiteral("us");
    bool changed_ = false;
};

// Another X client that has the keyboard focus and prints every key it gets.
class OtherClient {
public:
    explicit OtherClient(X11Session& session) : session_(session) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), X11Session::display());
        xev_.setProcessEnvironment(env);
        xev_.start(QStringLiteral("xev"),
                   {QStringLiteral("-name"), QStringLiteral("ferrotab-other-client"),
                    QStringLiteral("-event"), QStringLiteral("keyboard")});
        window_ =
            session_.waitForWindow(QStringLiteral("^ferrotab-other-client$")).value_or(QString());
    }
    ~OtherClient() {
        xev_.kill();
        xev_.waitForFinished();
    }
    bool ready() const { return !window_.isEmpty(); }
    void focus() {
        session_.xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window_});
    }
    // Everything xev printed so far: a key sent to its window now (F12, as
    // an event of our own, past any grab) comes after every key before it,
    // so once xev has printed it, it has printed those too.
    QString seen() {
        session_.xdotool(
            {QStringLiteral("key"), QStringLiteral("--window"), window_, QStringLiteral("F12")});
        markers_ += 2; // its press and its release
        waitFor([&] {
            xev_.waitForReadyRead(0);
            output_ += QString::fromLocal8Bit(xev_.readAllStandardOutput());
            return output_.count(QStringLiteral(", F12)")) >= markers_;
        });
        return output_;
    }
    // Whether the key came since the given length of seen().
    bool sawKey(const QString& keysymName, qsizetype since = 0) {
        return seen().mid(since).contains(QStringLiteral(", ") + keysymName + QLatin1Char(')'));
    }

private:
    X11Session& session_;
    QProcess xev_;
    QString window_;
    QString output_;
    qsizetype markers_ = 0;
};

class GlobalKeys : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1StringView("xcb"))
            GTEST_SKIP() << "no X display for the X11 shortcut tests";
        harness.load();
        harness.form->show();
        harness.form->Timer1_Timer();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(harness.form.get()));
    }
    Form1& form() { return *harness.form; }
    void press(const QString& keys) {
        session.xdotool({QStringLiteral("key"), keys});
        caughtUp(*harness.form);
    }

    FormHarness harness;
    X11Session session;
    CatchUp caughtUp;
};

TEST_F(GlobalKeys, ActWhileAnotherClientHasTheFocusWhichNeverSeesThem) {
    ASSERT_TRUE(form().shortcuts.systemWide());
    EXPECT_EQ(form().shortcuts.active(), (QList<char>{'N', 'O', 'S', 'A', 'W'}));
    OtherClient other(session);
    ASSERT_TRUE(other.ready());
    other.focus();

    press(QStringLiteral("ctrl+n"));
    EXPECT_EQ(form().TabControl1->count(), 2);
    EXPECT_FALSE(other.sawKey(QStringLiteral("n")));

    // With the NumLock and CapsLock variants grabbed too.
    press(QStringLiteral("Num_Lock"));
    press(QStringLiteral("ctrl+n"));
    press(QStringLiteral("Num_Lock"));
    EXPECT_EQ(form().TabControl1->count(), 3);

    // Shift, Alt or Super with Ctrl make no shortcut: the focused client gets them.
    press(QStringLiteral("ctrl+shift+s"));
    press(QStringLiteral("ctrl+alt+n"));
    EXPECT_TRUE(harness.dialogs->saveRequests.empty());
    EXPECT_EQ(form().TabControl1->count(), 3);
    EXPECT_TRUE(other.sawKey(QStringLiteral("S")));

    // Ctrl+S saves the current document, which has a path, without a dialog.
    const QString path = harness.folder.filePath(QStringLiteral("keys.txt"));
    form().currentSurface().setText(QStringLiteral("saved by Ctrl+S"));
    form().currentSurface().setTag(QStringLiteral("1|") + path);
    const qsizetype mark = other.seen().size();
    press(QStringLiteral("ctrl+s"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "saved by Ctrl+S\r\n");
    EXPECT_FALSE(other.sawKey(QStringLiteral("s"), mark));

    // Given up, the keys reach the focused client again.
    form().shortcuts.release();
    press(QStringLiteral("ctrl+n"));
    EXPECT_EQ(form().TabControl1->count(), 3);
    EXPECT_TRUE(other.sawKey(QStringLiteral("n")));
}

TEST_F(GlobalKeys, AHeldKeyRunsItsCommandOnceHoweverOftenTheServerRepeatsIt) {
    ServerEvents events;
    auto hold = [&](const QString& keys) {
        session.xdotool({QStringLiteral("keydown"), keys});
        // Held until the server has sent the key a few more times.
        const int before = events.rootPresses;
        const bool repeated = until([&] { return events.rootPresses >= before + 5; });
        session.xdotool({QStringLiteral("keyup"), keys});
        return repeated;
    };
    // Ctrl+O after each hold: its command is queued behind all the held
    // key's, so once Open has run, every command of the hold has too.
    auto thenOpen = [&] {
        const std::size_t opened = harness.dialogs->openRequests.size();
        session.xdotool({QStringLiteral("key"), QStringLiteral("ctrl+o")});
        return until([&] { return harness.dialogs->openRequests.size() == opened + 1; });
    };

    ASSERT_TRUE(hold(QStringLiteral("ctrl+n"))) << "the test display repeats a held key";
    ASSERT_TRUE(thenOpen());
    EXPECT_EQ(form().TabControl1->count(), 2);

    // The key is not left counted as held: the next press is a command again.
    session.xdotool({QStringLiteral("key"), QStringLiteral("ctrl+n")});
    EXPECT_TRUE(until([&] { return form().TabControl1->count() == 3; }));

    ASSERT_TRUE(hold(QStringLiteral("ctrl+w")));
    ASSERT_TRUE(thenOpen());
    EXPECT_EQ(form().TabControl1->count(), 2) << "one document closed, not one per repeat";

    // Rolled over: O goes down before N is up. Our grab ends with N, so O's
    // release goes to the focused window; O must not stay counted as held.
    const std::size_t opened = harness.dialogs->openRequests.size();
    session.xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl+n"), QStringLiteral("keydown"),
                     QStringLiteral("o"), QStringLiteral("keyup"), QStringLiteral("n"),
                     QStringLiteral("keyup"), QStringLiteral("o"), QStringLiteral("keyup"),
                     QStringLiteral("ctrl")});
    EXPECT_TRUE(until([&] { return harness.dialogs->openRequests.size() == opened + 1; }));
    EXPECT_EQ(form().TabControl1->count(), 3);
    ASSERT_TRUE(thenOpen()) << "the next Ctrl+O opens again";
}

TEST_F(GlobalKeys, AfterALayoutChangeEachShortcutFollowsTheKeyOfItsLetter) {
    OtherClient other(session);
    ASSERT_TRUE(other.ready());
    other.focus();
    ServerEvents events;
    KeyboardLayout layout(session);
    // On a French keyboard A and Q swap places.
    ASSERT_TRUE(layout.set(QStringLiteral("fr")))
        << "setxkbmap (x11-xkb-utils) switches the layout";
    ASSERT_TRUE(until([&] { return events.mapChanges > 0; })) << "the window hears of the new map";
    EXPECT_EQ(form().shortcuts.active(), (QList<char>{'N', 'O', 'S', 'A', 'W'}));

    const qsizetype mark = other.seen().size();
    session.xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")}); // the key labelled A
    EXPECT_TRUE(until([&] { return harness.dialogs->saveRequests.size() == 1; })) << "Save As ran";
    session.xdotool({QStringLiteral("key"), QStringLiteral("ctrl+q")}); // where A was
    EXPECT_TRUE(until([&] { return other.sawKey(QStringLiteral("q"), mark); }))
        << "Ctrl+Q reaches the focused client";
    EXPECT_FALSE(other.sawKey(QStringLiteral("a"), mark));
    EXPECT_EQ(harness.dialogs->saveRequests.size(), 1u);
}

TEST_F(GlobalKeys, AKeyPressedWhileAMessageBoxIsOpenIsDroppedNotQueued) {
    OtherClient other(session);
    ASSERT_TRUE(other.ready());
    QMessageBox box(QMessageBox::Information, QStringLiteral("Busy"),
                    QStringLiteral("A box is open"), QMessageBox::Ok, &form());
    QTimer::singleShot(200, [&] {
        other.focus();
        session.xdotool({QStringLiteral("key"), QStringLiteral("ctrl+n")});
        QTimer::singleShot(300, &box, &QMessageBox::accept);
    });
    box.exec();
    caughtUp(form());
    EXPECT_EQ(form().TabControl1->count(), 1);
}

TEST_F(GlobalKeys, ASecondInstanceGetsNoneAndTheFirstKeepsAllFive) {
    // Our window registered first; the real program is the second instance.
    X11Session second;
    // Its first tick, due 10 ms after it loads and before its window shows,
    // has registered (and failed) its keys once its event loop answers.
    ASSERT_TRUE(second.start());
    OtherClient other(session);
    ASSERT_TRUE(other.ready());
    other.focus();
    press(QStringLiteral("ctrl+n"));
    EXPECT_EQ(form().TabControl1->count(), 2);
    press(QStringLiteral("ctrl+o"));
    EXPECT_EQ(harness.dialogs->openRequests.size(), 1u) << "Open ran here";
    EXPECT_FALSE(second.waitForWindow(QStringLiteral("^Select File$"), 500))
        << "and not in the second";
}

TEST_F(GlobalKeys, AKeyAnotherClientHoldsFailsAloneAndSilently) {
    form().shortcuts.release();
    // Another client holds Ctrl+S (every lock variant) before we ask.
    xcb_connection_t* other = xcb_connect(X11Session::display().toLocal8Bit().constData(), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(other);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, 's');
    ASSERT_NE(codes, nullptr);
    for (int locks :
         {0, int(XCB_MOD_MASK_LOCK), int(XCB_MOD_MASK_2), int(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2)})
        xcb_grab_key(other, 0, root, uint16_t(XCB_MOD_MASK_CONTROL | locks), codes[0],
                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other),
                                        nullptr)); // a round trip: grabs in place
    std::free(codes);
    xcb_key_symbols_free(symbols);

    FormHarness late;
    late.load();
    late.form->Timer1_Timer();
    EXPECT_TRUE(late.form->shortcuts.systemWide());
    EXPECT_EQ(late.form->shortcuts.active(), (QList<char>{'N', 'O', 'A', 'W'}));
    EXPECT_TRUE(late.messages->shown.empty()) << "no report for a key that is taken";
    press(QStringLiteral("ctrl+n"));
    EXPECT_EQ(late.form->TabControl1->count(), 2) << "the other four work";
    xcb_disconnect(other);
}

} // namespace
