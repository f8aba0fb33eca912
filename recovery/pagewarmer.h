#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QVector>
#include <cstdint>

// After a fork every page the editor writes to faults once, child gone or
// not: the kernel write-protected them all for the child. A keystroke near the
// start of a 10 MB document relays out the whole document and would take
// those faults all at once (about 80 ms more than usual). The warmer takes
// them instead, in slices of a few milliseconds between events while the
// user is idle: it writes each resident page of the editor's private memory
// back with its own value, atomically, so nothing changes but the page
// table. Pages never touched are left alone, so memory does not grow.
class PageWarmer : public QObject {
    Q_OBJECT
public:
    explicit PageWarmer(QObject* parent = nullptr);
    ~PageWarmer() override { stop(); }

    // Starts over from the first page (call once the child has ended).
    void start();
    void stop();
    bool running() const { return timer_.isActive(); }

private:
    void slice();
    void touchSome(const QElapsedTimer& clock);

    struct Range {
        std::uintptr_t begin, end;
    };
    QVector<Range> ranges_;
    int range_ = 0;
    std::uintptr_t next_ = 0;
    int pagemap_ = -1;
    QTimer timer_;
};
