#pragma once

#include <QFile>
#include <QtGlobal>
#include <chrono>
#include <ctime>
#include <malloc.h>

// Benchmarks need no display unless one is asked for.
inline void preferOffscreen() {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Resident memory of this process in kilobytes, from /proc.
inline qint64 residentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Resident memory once the allocator has given its free pages back: what the
// process really holds, without what freed blocks happen to keep mapped.
inline qint64 trimmedResidentKilobytes() {
    malloc_trim(0);
    return residentKilobytes();
}

// Bytes the allocator has handed out and not yet had back, large mapped
// blocks included. Steadier than RSS, which moves with fragmentation.
inline qint64 heapBytesInUse() {
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

inline double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// CPU time this thread has used, in milliseconds. Everything the editor does
// runs on its one thread, so this is the cost of a command without the time
// other processes on a busy machine took from it.
inline double threadCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}
