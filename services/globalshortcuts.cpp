#include "services/globalshortcuts.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

namespace {

// Only while no dialog or message box of ours is open, and no menu or popup.
bool commandsMayRun() {
    return !QApplication::activeModalWidget() && !QApplication::activePopupWidget();
}

constexpr uint16_t kIgnoredLocks = XCB_MOD_MASK_LOCK; // NumLock is found at run time
constexpr uint16_t kRelevantModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 |
                                        XCB_MOD_MASK_4; // Shift, Ctrl, Alt, Super

// The XKB events that say the key map changed (their numbers in the XKB
// protocol). Qt selects them on the connection we share; a client that uses
// XKB, as Qt does, gets no core MappingNotify for a new keyboard, which is
// what setxkbmap makes.
constexpr uint8_t kXkbNewKeyboardNotify = 0;
constexpr uint8_t kXkbMapNotify = 1;

} // namespace

struct GlobalShortcuts::X11State {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    uint8_t xkbEvent = 0; // the XKB extension's event number, 0 without it
    struct Grab {
        std::size_t binding;
        xcb_keycode_t code;
        uint16_t modifiers;
    };
    std::vector<Grab> grabs;
    // The grabbed keys held down now, and the last release of one of them:
    // auto-repeat shows either as presses without a release between them or
    // as a release and a press with the same time stamp.
    std::array<bool, 256> down{};
    xcb_keycode_t startedBy = 0;
    xcb_keycode_t releasedCode = 0;
    xcb_timestamp_t releasedAt = 0;
};

GlobalShortcuts::GlobalShortcuts(QObject* parent) : QObject(parent) {}

GlobalShortcuts::~GlobalShortcuts() {
    release();
}

QList<char> GlobalShortcuts::active() const {
    QList<char> letters;
    for (std::size_t i = 0; i < bindings_.size(); ++i)
        if (active_[i])
            letters.append(bindings_[i].letter);
    return letters;
}

void GlobalShortcuts::registerAll(std::vector<Binding> bindings) {
    if (registered_)
        return;
    registered_ = true;
    bindings_ = std::move(bindings);
    active_.assign(bindings_.size(), false);
    if (QGuiApplication::platformName() == QLatin1StringView("xcb") && registerX11())
        return;
    // No X server to ask: the keys work while one of our windows is active.
    qApp->installEventFilter(this);
    active_.assign(bindings_.size(), true);
}

namespace {

// The modifier bit that NumLock sets on this server (Mod2 almost everywhere).
uint16_t numLockMask(xcb_connection_t* connection, xcb_key_symbols_t* symbols) {
    constexpr xcb_keysym_t numLockSym = 0xff7f;
    std::unique_ptr<xcb_keycode_t, decltype(&std::free)> numCodes(
        xcb_key_symbols_get_keycode(symbols, numLockSym), &std::free);
    std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> mapping(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr),
        &std::free);
    if (!numCodes || !mapping)
        return XCB_MOD_MASK_2;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier)
        for (int i = 0; i < perModifier; ++i)
            for (const xcb_keycode_t* n = numCodes.get(); *n != XCB_NO_SYMBOL; ++n)
                if (codes[modifier * perModifier + i] == *n)
                    return uint16_t(1u << modifier);
    return XCB_MOD_MASK_2;
}

} // namespace

bool GlobalShortcuts::registerX11() {
    auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!native || !native->connection())
        return false;
    auto state = std::make_unique<X11State>();
    state->connection = native->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(state->connection)).data;
    if (!screen)
        return false;
    state->root = screen->root;
    static constexpr char xkbName[] = "XKEYBOARD";
    std::unique_ptr<xcb_query_extension_reply_t, decltype(&std::free)> xkb(
        xcb_query_extension_reply(
            state->connection, xcb_query_extension(state->connection, sizeof xkbName - 1, xkbName),
            nullptr),
        &std::free);
    if (xkb && xkb->present)
        state->xkbEvent = xkb->first_event;
    x11_ = state.release();
    grabAll();
    qApp->installNativeEventFilter(this);
    return true;
}

void GlobalShortcuts::grabAll() {
    active_.assign(bindings_.size(), false);
    // A fresh key map each time: after a layout change the letters sit on
    // other keys than the ones we grabbed.
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(x11_->connection), &xcb_key_symbols_free);
    if (!symbols)
        return;
    const uint16_t numLock = numLockMask(x11_->connection, symbols.get());
    const uint16_t variants[] = {0, kIgnoredLocks, numLock, uint16_t(kIgnoredLocks | numLock)};

    for (std::size_t b = 0; b < bindings_.size(); ++b) {
        const xcb_keysym_t keysym = xcb_keysym_t(QChar::toLower(char16_t(bindings_[b].letter)));
        std::unique_ptr<xcb_keycode_t, decltype(&std::free)> found(
            xcb_key_symbols_get_keycode(symbols.get(), keysym), &std::free);
        if (!found)
            continue;
        // A key carrying the letter in two groups is listed twice.
        std::vector<xcb_keycode_t> codes;
        for (const xcb_keycode_t* code = found.get(); *code != XCB_NO_SYMBOL; ++code)
            if (std::find(codes.begin(), codes.end(), *code) == codes.end())
                codes.push_back(*code);
        std::vector<std::pair<X11State::Grab, xcb_void_cookie_t>> pending;
        for (xcb_keycode_t code : codes)
            for (uint16_t variant : variants) {
                const X11State::Grab grab{b, code, uint16_t(XCB_MOD_MASK_CONTROL | variant)};
                pending.emplace_back(grab, xcb_grab_key_checked(x11_->connection, 0, x11_->root,
                                                                grab.modifiers, grab.code,
                                                                XCB_GRAB_MODE_ASYNC,
                                                                XCB_GRAB_MODE_ASYNC));
            }
        // Each grab is checked: another client holding the key makes it fail
        // (BadAccess), and then this key is given up whole.
        bool failed = pending.empty();
        std::vector<X11State::Grab> granted;
        for (auto& [grab, cookie] : pending) {
            if (xcb_generic_error_t* error = xcb_request_check(x11_->connection, cookie)) {
                std::free(error);
                failed = true;
            } else {
                granted.push_back(grab);
            }
        }
        if (failed) {
            for (const X11State::Grab& grab : granted)
                xcb_ungrab_key(x11_->connection, grab.code, x11_->root, grab.modifiers);
            continue;
        }
        x11_->grabs.insert(x11_->grabs.end(), granted.begin(), granted.end());
        active_[b] = true;
    }
    xcb_flush(x11_->connection);
}

void GlobalShortcuts::ungrabAll() {
    for (const X11State::Grab& grab : x11_->grabs)
        xcb_ungrab_key(x11_->connection, grab.code, x11_->root, grab.modifiers);
    x11_->grabs.clear();
    xcb_flush(x11_->connection);
}

void GlobalShortcuts::release() {
    if (x11_) {
        qApp->removeNativeEventFilter(this);
        ungrabAll();
        delete x11_;
        x11_ = nullptr;
    } else if (registered_) {
        qApp->removeEventFilter(this);
    }
    active_.assign(bindings_.size(), false);
}

bool GlobalShortcuts::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (!x11_ || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY || (x11_->xkbEvent && type == x11_->xkbEvent)) {
        // Byte 1 of an XKB event says which one it is.
        const uint8_t xkbType = reinterpret_cast<const uint8_t*>(event)[1];
        const bool keysMoved =
            type == XCB_MAPPING_NOTIFY
                ? reinterpret_cast<const xcb_mapping_notify_event_t*>(event)->request !=
                      XCB_MAPPING_POINTER
                : xkbType == kXkbNewKeyboardNotify || xkbType == kXkbMapNotify;
        if (keysMoved) {
            ungrabAll();
            grabAll();
        }
        return false; // Qt updates its own key map from the same events
    }
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (key->event != x11_->root)
        return false;
    const auto grab =
        std::find_if(x11_->grabs.begin(), x11_->grabs.end(),
                     [key](const X11State::Grab& g) { return g.code == key->detail; });
    if (grab == x11_->grabs.end())
        return false;
    // Noted whatever the modifiers: Ctrl may be let go before the letter.
    const bool fresh = freshPress(type, key->detail, key->time);
    if ((key->state & kRelevantModifiers) != XCB_MOD_MASK_CONTROL)
        return false;
    if (fresh)
        trigger(grab->binding);
    return true; // ours: nobody else sees it
}

bool GlobalShortcuts::freshPress(uint8_t type, uint8_t code, uint32_t time) {
    X11State& x = *x11_;
    if (type == XCB_KEY_RELEASE) {
        // The server ends our grab when the key that started it goes up; the
        // other keys' releases then go to the focused window, unseen here.
        if (code == x.startedBy)
            x.down.fill(false);
        x.down[code] = false;
        x.releasedCode = code;
        x.releasedAt = time;
        return false;
    }
    // The server repeats a held key as a release and a press at the same
    // instant; a client with detectable auto-repeat gets the presses alone.
    const bool repeat = x.down[code] || (x.releasedCode == code && x.releasedAt == time);
    if (std::none_of(x.down.begin(), x.down.end(), [](bool held) { return held; }))
        x.startedBy = code;
    x.down[code] = true;
    return !repeat;
}

bool GlobalShortcuts::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier)
        return false;
    for (std::size_t b = 0; b < bindings_.size(); ++b) {
        if (key->key() == Qt::Key_A + (bindings_[b].letter - 'A')) {
            // Eaten even when dropped: Ctrl+A must never select all text.
            if (!key->isAutoRepeat())
                trigger(b);
            return true;
        }
    }
    return false;
}

void GlobalShortcuts::trigger(std::size_t binding) {
    if (!commandsMayRun())
        return;
    // Run once the current event is done, and only if no dialog opened meanwhile.
    QTimer::singleShot(0, this, [this, binding] {
        if (commandsMayRun() && binding < bindings_.size())
            bindings_[binding].command();
    });
}
