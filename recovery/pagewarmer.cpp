#include "recovery/pagewarmer.h"

#include <QElapsedTimer>
#include <QFile>
#include <csetjmp>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qint64 kSliceNs = 2'000'000;
constexpr int kPagesPerRead = 256;

// Another thread may unmap or protect memory between the list of mappings
// and the touch of a page. Such a touch faults; the fault ends the slice
// rather than the editor. Faults anywhere else go on to what handled them
// before, the default included.
thread_local sigjmp_buf* touching = nullptr;
struct sigaction previousSegv, previousBus;

void onFault(int signal, siginfo_t* info, void* context) {
    if (touching)
        siglongjmp(*touching, 1);
    const struct sigaction& previous = signal == SIGSEGV ? previousSegv : previousBus;
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN) {
        // Returning runs the faulting instruction again, which now ends the
        // process as it would have without us.
        ::sigaction(signal, &previous, nullptr);
    } else {
        previous.sa_handler(signal);
    }
}

// Writes the page's first byte back with its own value in one atomic step:
// another thread writing it meanwhile loses nothing. False when it faulted.
bool touch(unsigned char* byte) {
    sigjmp_buf jump;
    if (sigsetjmp(jump, 1) != 0) {
        touching = nullptr;
        return false;
    }
    touching = &jump;
    unsigned char seen = __atomic_load_n(byte, __ATOMIC_RELAXED);
    while (!__atomic_compare_exchange_n(byte, &seen, seen, false, __ATOMIC_RELAXED,
                                        __ATOMIC_RELAXED)) {
    }
    touching = nullptr;
    return true;
}

std::uintptr_t pageSize() {
    static const std::uintptr_t size = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    return size;
}

} // namespace

PageWarmer::PageWarmer(QObject* parent) : QObject(parent) {
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &PageWarmer::slice);
}

void PageWarmer::start() {
    stop();
    // Private writable memory without a file behind it: the heap, thread
    // stacks, large allocations. Shared memory is not copied on write, and a
    // private file mapping written for the first time would grow.
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 5 || fields[1] != "rw-p")
            continue;
        const QByteArray path = fields.value(5);
        if (!path.isEmpty() && path != "[heap]" && path != "[stack]")
            continue;
        const QList<QByteArray> bounds = fields[0].split('-');
        bool okBegin = false, okEnd = false;
        const std::uintptr_t begin = bounds.value(0).toULongLong(&okBegin, 16);
        const std::uintptr_t end = bounds.value(1).toULongLong(&okEnd, 16);
        if (okBegin && okEnd && begin < end)
            ranges_.append({begin, end});
    }
    pagemap_ = ::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
    if (pagemap_ < 0 || ranges_.isEmpty()) {
        stop();
        return;
    }
    next_ = ranges_.first().begin;
    timer_.start();
}

void PageWarmer::stop() {
    timer_.stop();
    ranges_.clear();
    range_ = 0;
    if (pagemap_ >= 0)
        ::close(pagemap_);
    pagemap_ = -1;
}

void PageWarmer::slice() {
    QElapsedTimer clock;
    clock.start();
    struct sigaction guard {};
    guard.sa_sigaction = onFault;
    guard.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&guard.sa_mask);
    ::sigaction(SIGSEGV, &guard, &previousSegv);
    ::sigaction(SIGBUS, &guard, &previousBus);
    touchSome(clock);
    ::sigaction(SIGSEGV, &previousSegv, nullptr);
    ::sigaction(SIGBUS, &previousBus, nullptr);
}

void PageWarmer::touchSome(const QElapsedTimer& clock) {
    const std::uintptr_t page = pageSize();
    quint64 entries[kPagesPerRead];
    while (clock.nsecsElapsed() < kSliceNs) {
        if (range_ >= ranges_.size()) {
            stop();
            return;
        }
        const Range& range = ranges_[range_];
        const std::uintptr_t count =
            std::min<std::uintptr_t>(kPagesPerRead, (range.end - next_) / page);
        const ssize_t got = ::pread(pagemap_, entries, count * sizeof(quint64),
                                    off_t(next_ / page * sizeof(quint64)));
        const std::uintptr_t read = got > 0 ? std::uintptr_t(got) / sizeof(quint64) : 0;
        bool gone = false;
        for (std::uintptr_t i = 0; i < read && !gone; ++i) {
            // A page not resident is left alone: touching it would allocate it.
            if (entries[i] >> 63)
                gone = !touch(reinterpret_cast<unsigned char*>(next_ + i * page));
        }
        next_ += (read ? read : count) * page;
        if (read == 0 || gone || next_ >= range.end) {
            if (++range_ < ranges_.size())
                next_ = ranges_[range_].begin;
        }
    }
}
