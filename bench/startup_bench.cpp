// Time from starting the editor's process to its first shown window, seen
// from outside: xdotool is asked every few milliseconds for a visible window
// titled "Ferrotab" (each ask costs about 5 ms, which bounds the resolution).
// Needs DISPLAY; prints the figures of several runs.
#include "benchsupport.h"

#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool windowShown() {
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                  QStringLiteral("^Ferrotab$")});
    search.waitForFinished(2000);
    return !search.readAllStandardOutput().trimmed().isEmpty();
}

// Starts the editor and waits for its window; returns the milliseconds it
// took, or a negative value on failure.
double timeToFirstWindow(const char* binary, qint64* residentKb) {
    QProcess editor;
    editor.setProcessChannelMode(QProcess::ForwardedChannels);
    const auto start = std::chrono::steady_clock::now();
    editor.start(QString::fromLocal8Bit(binary), {});
    double elapsed = -1;
    while (elapsed < 0 && millisecondsSince(start) < 10000) {
        if (windowShown())
            elapsed = millisecondsSince(start);
    }
    if (elapsed >= 0) {
        editor.waitForFinished(300);
        QFile status(QStringLiteral("/proc/%1/status").arg(editor.processId()));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("VmRSS:"))
                    *residentKb = line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    editor.kill();
    editor.waitForFinished();
    return elapsed;
}

} // namespace
int main(int argc, char** argv) {
    const char* binary = argc > 1 ? argv[1] : FERROTAB_BINARY;
    std::vector<double> runs;
    qint64 residentKb = 0;
    for (int i = 0; i < 10; ++i) {
        const double ms = timeToFirstWindow(binary, &residentKb);
        if (ms < 0) {
            std::fprintf(stderr, "the editor's window did not appear (is DISPLAY set?)\n");
            return 1;
        }
        runs.push_back(ms);
    }
    std::sort(runs.begin(), runs.end());
    std::printf("process start to first shown window, 10 runs: min %.1f ms, median %.1f ms, "
                "max %.1f ms\n",
                runs.front(), runs[runs.size() / 2], runs.back());
    std::printf("resident memory after start-up: %lld KB\n", static_cast<long long>(residentKb));
    return 0;
}
