#pragma once

#include <QString>
#include <atomic>
#include <sys/types.h>

class QTextDocument;

namespace recovery {

// A recovery copy written by a child process. fork() gives the child the
// document exactly as it stands, copy-on-write, for the cost of copying the
// process's page tables (a few milliseconds where cloning a 10 MB document
// takes half a second); the child turns it into RTF and writes it while the
// editor goes on. The child only reads memory, writes its one file and ends
// with _exit(); it dies with the editor, so a killed editor leaves no child
// writing behind it.
struct ForkedCopy {
    pid_t pid = -1;
    int result = -1; // read end of the pipe that carries the child's error text
};

// Starts the child; pid -1 when none could be made (the caller then copies
// another way). Call on the thread the document lives on, between events.
ForkedCopy startForkedCopy(const QTextDocument& document, const QString& folder,
                           const QString& path);

// Waits for the child and returns its error text, empty on success. A child
// that takes longer than timeoutMs, or is still writing when `abandon` is
// set, is killed and counts as failed (the copy before it stays whole).
// Closes the pipe. Any thread: the one that calls this alone reaps the child,
// so it never signals a process id that is no longer the child's.
// `childFailed` tells a child that hung or crashed from one that reported a
// failed write (a full disk).
QString finishForkedCopy(const ForkedCopy& copy, int timeoutMs, const std::atomic<bool>& abandon,
                         bool* childFailed = nullptr);

} // namespace recovery
