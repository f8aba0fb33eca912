#include "tests/saving/faults.h"

#include <QDir>
#include <QFile>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
// Without FIU_ENABLE libfiu's header turns its calls into no-ops.
#define FIU_ENABLE 1
#include <fiu-control.h>
#include <fiu.h>
#include <pthread.h>
#include <unistd.h>

namespace {

// One fault at a time is enough for these tests; libfiu's callback has no
// room for a context of its own.
std::atomic<pthread_t> armedThread{};
std::atomic<int> toPass{0};
std::atomic<int> toFail{0};
std::atomic<int> failed{0};

int decide(const char*, int*, void**, unsigned int*) {
    if (!pthread_equal(pthread_self(), armedThread.load()))
        return 0;
    if (toPass.load() > 0) {
        --toPass;
        return 0;
    }
    if (toFail.load() == 0)
        return 0;
    if (toFail.load() > 0)
        --toFail;
    ++failed;
    return 1;
}

} // namespace

InjectedFault::InjectedFault(const char* point, int error, int pass, int times) : point_(point) {
    fiu_init(0); // done already where the preload library runs; harmless again
    armedThread = pthread_self();
    toPass = pass;
    toFail = times;
    failed = 0;
    fiu_enable_external(point, 1, reinterpret_cast<void*>(static_cast<intptr_t>(error)), 0, decide);
}

InjectedFault::~InjectedFault() {
    fiu_disable(point_.constData());
}

int InjectedFault::failures() const {
    return failed.load();
}

bool InjectedFault::available() {
    const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool failedWrite = false;
    {
        InjectedFault fault("posix/io/rw/write", EIO);
        failedWrite = ::write(fd, "x", 1) < 0 && errno == EIO;
    }
    ::close(fd);
    return failedWrite;
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void putFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        qFatal("cannot write %s", qPrintable(path));
}
