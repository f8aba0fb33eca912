#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

// The program's five Ctrl+letter shortcuts, system-wide. On X11 each is a
// passive key grab on the root window (with every combination of CapsLock and
// NumLock), so it acts while another program has the focus and that program
// never sees the key. A key that another client already holds fails alone.
// Without an X11 connection the same keys work inside the application only.
//
// A press runs its command between events, never inside another command: it
// is dropped, not queued, while a modal dialog or message box is open. A held
// key is one press: its auto-repeat runs nothing. When the keyboard layout
// changes, each shortcut moves to the key that now carries its letter.
class GlobalShortcuts : public QObject, public QAbstractNativeEventFilter {
public:
    struct Binding {
        char letter; // 'N', 'O', ...: Ctrl plus this letter, no other modifier
        std::function<void()> command;
    };

    explicit GlobalShortcuts(QObject* parent = nullptr);
    ~GlobalShortcuts() override;

    // Registers the bindings once; later calls do nothing.
    void registerAll(std::vector<Binding> bindings);
    // Gives up every grab; the keys go back to the other programs.
    void release();

    // True when the keys are root-window grabs of the X server.
    bool systemWide() const { return x11_ != nullptr; }
    // The letters whose key is in effect.
    QList<char> active() const;

protected:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct X11State;
    void trigger(std::size_t binding);
    bool registerX11();
    // Takes every grab anew for the server's current key map; a key held by
    // another client fails alone.
    void grabAll();
    void ungrabAll();
    // Whether a press of a grabbed key is a real one (not auto-repeat);
    // notes presses and releases of those keys to tell.
    bool freshPress(uint8_t type, uint8_t code, uint32_t time);

    std::vector<Binding> bindings_;
    std::vector<bool> active_;
    bool registered_ = false;
    X11State* x11_ = nullptr;
};
