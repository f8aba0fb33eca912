// The editor's own figures, each measured in one place: process start to the
// first shown window, New with 1, 100 and 1,000 documents open, a tab change
// with 1,000 open, a keystroke in a 10 MB document up to the change mark on
// its tab (with recovery copies on and off), one recovery copy of that
// document, and the memory an empty document and a megabyte of RTF take.
//
//   app_bench [megabytes [parts]]   (10 MB and every part by default)
//
// The in-process figures run on a real Form1 with scripted dialogs, on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise; the start-up
// figure needs DISPLAY and is left out without one. Times are wall clock
// (what the user waits) with the thread's CPU time beside them (what the
// editor itself spent, whatever else runs on the machine).
#include "app/form1.h"
#include "bench/rtf/wordpadgenerator.h"
#include "benchsupport.h"
#include "components/rtf/documentfile.h"
#include "components/rtf/writer.h"
#include "recovery/recovery.h"
#include "recovery/recoveryfiles.h"
#include "tests/support/scripted.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <poll.h>
#include <string>
#include <utility>
#include <vector>
#include <xcb/xcb.h>

namespace {

struct Sample {
    double wallMs;
    double cpuMs;
};

Sample measure(const std::function<void()>& action) {
    const double cpuStart = threadCpuMilliseconds();
    const auto start = std::chrono::steady_clock::now();
    action();
    return {millisecondsSince(start), threadCpuMilliseconds() - cpuStart};
}

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median wall time of every figure printed, by its name, for the side by
// side of recovery on and off.
std::map<std::string, double> printedMedians;

void printSamples(const char* what, const std::vector<Sample>& samples) {
    std::vector<double> wall, cpu;
    for (const Sample& sample : samples) {
        wall.push_back(sample.wallMs);
        cpu.push_back(sample.cpuMs);
    }
    std::printf("%-40s median %7.2f ms  min %7.2f  max %7.2f  (CPU median %.2f ms, %zu runs)\n",
                what, medianOf(wall), *std::min_element(wall.begin(), wall.end()),
                *std::max_element(wall.begin(), wall.end()), medianOf(cpu), samples.size());
    printedMedians[what] = medianOf(wall);
}

// What the event loop would have done by now: pending paints, deferred deletions.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// --- Start-up --------------------------------------------------------------

// Watches the X server for the editor's main window being mapped: the moment
// it is shown, seen by the server itself rather than by polling for it.
class MapWatch {
public:
    MapWatch() {
        int screenNumber = 0;
        connection_ = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(connection_))
            return;
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&screens);
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, screens.data->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
        ok_ = true;
    }
    ~MapWatch() { xcb_disconnect(connection_); }
    bool ok() const { return ok_; }
    // Forgets what earlier runs left queued.
    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            free(event);
    }

    // Waits until a window titled `title` is mapped; false after the timeout.
    bool waitForMap(const QByteArray& title, int timeoutMs,
                    std::chrono::steady_clock::time_point start) {
        pollfd watched{xcb_get_file_descriptor(connection_), POLLIN, 0};
        while (millisecondsSince(start) < timeoutMs) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window =
                    mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
                free(event);
                if (mapped && titleOf(window) == title)
                    return true;
            }
            if (xcb_connection_has_error(connection_))
                return false;
            poll(&watched, 1, 50);
        }
        return false;
    }

private:
    QByteArray titleOf(xcb_window_t window) {
        const xcb_get_property_cookie_t cookie = xcb_get_property(
            connection_, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, nullptr);
        if (!reply)
            return {};
        const QByteArray title(static_cast<const char*>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        free(reply);
        return title;
    }

    xcb_connection_t* connection_ = nullptr;
    bool ok_ = false;
};

qint64 residentKilobytesOf(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// CPU time the process's main thread has run so far, from the scheduler's
// own account (nanoseconds); -1 when it cannot be read.
double mainThreadCpuMilliseconds(qint64 pid) {
    QFile schedstat(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!schedstat.open(QIODevice::ReadOnly))
        return -1;
    return schedstat.readAll().split(' ').value(0).toDouble() / 1e6;
}

void benchStartup(const QString& binary) {
    if (qgetenv("DISPLAY").isEmpty()) {
        std::printf("start-up to first window: skipped (no DISPLAY)\n");
        return;
    }
    // The editor runs on the real display even when this process is offscreen.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    std::vector<Sample> runs;
    qint64 residentKb = -1;
    // One connection for all runs: were the editor the server's last client,
    // the server would reset when it ends and refuse the next one meanwhile.
    MapWatch watch;
    if (!watch.ok()) {
        std::printf("start-up to first window: cannot connect to DISPLAY\n");
        return;
    }
    for (int run = 0; run < 10; ++run) {
        QProcess editor;
        editor.setProcessEnvironment(environment);
        editor.setProcessChannelMode(QProcess::ForwardedChannels);
        watch.drain();
        const auto start = std::chrono::steady_clock::now();
        editor.start(binary, {});
        const bool shown = watch.waitForMap(Form1::kProductName, 10000, start);
        const double elapsed = millisecondsSince(start);
        const double cpu = mainThreadCpuMilliseconds(editor.processId());
        if (shown) {
            editor.waitForFinished(300); // let it settle before reading its memory
            residentKb = residentKilobytesOf(editor.processId());
        }
        editor.kill();
        editor.waitForFinished();
        if (!shown) {
            std::printf("start-up to first window: the window did not appear\n");
            return;
        }
        runs.push_back({elapsed, cpu});
    }
    printSamples("start-up to first window (mapped)", runs);
    std::printf("%-40s %7.2f ms\n", "the first of the runs", runs.front().wallMs);
    std::printf("%-40s %lld KB\n", "resident memory after start-up",
                static_cast<long long>(residentKb));
}

// --- Many documents ----------------------------------------------------------

// New as the button runs it, up to the window having painted the new tab.
Sample timedNew(Form1& form) {
    return measure([&] {
        form.PushButton2->click();
        QCoreApplication::processEvents();
    });
}

// A few News with `open` documents open, each closed again untimed so the
// next one finds the same number open.
std::vector<Sample> newWith(Form1& form, int open) {
    std::vector<Sample> samples;
    for (int i = 0; i < 9; ++i) {
        samples.push_back(timedNew(form));
        form.PushButton11->click(); // unchanged: closes without asking
        settle();
    }
    if (form.TabControl1->count() != open)
        std::printf("(expected %d documents open, found %d)\n", open, form.TabControl1->count());
    return samples;
}

void benchDocuments() {
    FormHarness harness;
    Form1& form = harness.load();
    form.show();
    settle();

    const Sample first = timedNew(form);
    form.PushButton11->click();
    settle();
    std::printf("%-40s %7.2f ms  (CPU %.2f ms)\n", "first New after start-up", first.wallMs,
                first.cpuMs);
    printSamples("New with 1 document open", newWith(form, 1));

    const qint64 heapBefore = heapBytesInUse();
    const qint64 residentBefore = trimmedResidentKilobytes();
    const int surfacesBefore = form.RichTextBox1->count();
    while (form.TabControl1->count() < 100)
        timedNew(form);
    printSamples("New with 100 documents open", newWith(form, 100));
    std::vector<Sample> growing;
    while (form.TabControl1->count() < 1000)
        growing.push_back(timedNew(form));
    settle();
    // Closed documents keep their surfaces too: count those, not the tabs.
    const int added = form.RichTextBox1->count() - surfacesBefore;
    const qint64 heapAfter = heapBytesInUse();
    const qint64 residentAfter = trimmedResidentKilobytes();
    double growingMs = 0;
    for (const Sample& sample : growing)
        growingMs += sample.wallMs;
    std::printf("%-40s %7.0f ms for %zu, the last %.2f ms\n", "New from 100 to 1,000 open",
                growingMs, growing.size(), growing.back().wallMs);
    printSamples("New with 1,000 documents open", newWith(form, 1000));

    std::vector<Sample> changes;
    for (int round = 0; round < 50; ++round) {
        const int position = (round * 397 + 1) % form.TabControl1->count();
        changes.push_back(measure([&] {
            form.TabControl1->select(position);
            QCoreApplication::processEvents();
        }));
    }
    printSamples("tab change with 1,000 documents open", changes);

    // The change mark renames a tab, which makes the strip lay out all of them.
    std::vector<Sample> marks;
    for (int round = 0; round < 15; ++round) {
        form.TabControl1->select((round * 397 + 2) % form.TabControl1->count());
        settle();
        RichTextSurface& surface = form.currentSurface();
        marks.push_back(measure([&] {
            QTest::keyClick(surface.widget(), Qt::Key_X);
            QCoreApplication::processEvents();
        }));
        if (!form.TabControl1->caption(form.TabControl1->selectedPosition()).endsWith('*'))
            std::printf("(the keystroke did not mark the document)\n");
    }
    printSamples("first keystroke, 1,000 documents open", marks);

    std::printf("%-40s %7.1f KB heap, %.1f KB resident (%d documents: heap %lld -> %lld KB, "
                "RSS %lld -> %lld KB)\n",
                "memory per empty document", double(heapAfter - heapBefore) / 1024.0 / added,
                double(residentAfter - residentBefore) / added, added,
                static_cast<long long>(heapBefore / 1024), static_cast<long long>(heapAfter / 1024),
                static_cast<long long>(residentBefore), static_cast<long long>(residentAfter));
}

// --- A large document --------------------------------------------------------

// Recovery copies of the open document as the editor makes them: turned into
// RTF a few milliseconds at a time between events, then written to disk
// elsewhere. A copy after a keystroke writes again only what changed; a
// change to every paragraph (select all, italic) writes them all again.
void benchRecoveryCopy(Form1& form) {
    Recovery& recovery = *form.recovery();
    RichTextSurface& surface = form.currentSurface();
    // From the flush to the copy on disk, waiting as the editor would.
    auto copy = [&] {
        QString error = QStringLiteral("(not written)");
        QEventLoop wait;
        const auto connection =
            QObject::connect(&recovery, &Recovery::written, [&](const QString& result) {
                error = result;
                wait.quit();
            });
        recovery.resetLongestSlice();
        const Sample sample = measure([&] {
            recovery.flush();
            wait.exec();
        });
        QObject::disconnect(connection);
        if (!error.isEmpty())
            std::printf("(the copy failed: %s)\n", qPrintable(error));
        recovery.waitForWrites();
        settle();
        return sample;
    };
    auto restyleAll = [&](bool italic) {
        QTextCursor all(surface.document());
        all.select(QTextCursor::Document);
        QTextCharFormat format;
        format.setFontItalic(italic);
        all.mergeCharFormat(format);
    };
    std::vector<Sample> afterKeystroke, afterRestyle, slicesKeystroke, slicesRestyle;
    for (int run = 0; run < 6; ++run) {
        QTest::keyClick(surface.widget(), Qt::Key_Z);
        afterKeystroke.push_back(copy());
        slicesKeystroke.push_back({recovery.longestSliceMs(), recovery.longestSliceMs()});
        restyleAll(run % 2 == 0);
        afterRestyle.push_back(copy());
        slicesRestyle.push_back({recovery.longestSliceMs(), recovery.longestSliceMs()});
    }
    printSamples("recovery copy after a keystroke: to disk", afterKeystroke);
    printSamples("  its longest slice on the UI thread", slicesKeystroke);
    printSamples("recovery copy of every paragraph: to disk", afterRestyle);
    printSamples("  its longest slice on the UI thread", slicesRestyle);

    // Typing on while every paragraph is written again: each keystroke waits
    // for at most the slice under way.
    surface.widget()->moveCursor(QTextCursor::End);
    settle();
    std::vector<Sample> during;
    restyleAll(false);
    recovery.flush();
    for (int i = 0; i < 30; ++i)
        during.push_back(measure([&] {
            QTest::keyClick(surface.widget(), Qt::Key_W);
            QCoreApplication::processEvents();
        }));
    printSamples("keystroke at the end while a copy is made", during);
    recovery.waitForWrites();
    settle();
}

// The parts of a copy one after the other, on this thread: the RTF of the
// whole document in one go as Save writes it, the same in pieces as a copy
// writes it the first time, joining the pieces, and the write.
void benchRecoveryParts(Form1& form) {
    Recovery& recovery = *form.recovery();
    const QTextDocument& document = *form.currentSurface().document();
    QByteArray bytes;
    const Sample save = measure([&] { bytes = rtf::saveBytes(document); });
    rtf::IncrementalWriter pieces(document);
    const Sample written = measure([&] { pieces.write(QDeadlineTimer::Forever); });
    QByteArrayList parts;
    const Sample join = measure([&] { bytes = (parts = pieces.file()).join(); });
    const QString path = recovery.folder() + QStringLiteral("/bench-copy.rtf");
    const Sample write = measure([&] { recovery::writePrivateFile(path, bytes); });
    QFile::remove(path);
    std::printf("%-40s RTF as saved %.0f ms, in %lld pieces %.0f ms (%.1f MB), joined %.0f ms, "
                "write and sync %.0f ms\n",
                "recovery copy, its parts one by one", save.wallMs,
                static_cast<long long>(parts.size()), written.wallMs, bytes.size() / 1048576.0,
                join.wallMs, write.wallMs);
}

void benchLargeDocument(int megabytes, bool withRecovery) {
    FormHarness harness;
    if (!withRecovery)
        harness.recoveryFolder.clear();
    std::printf("--- a large document, recovery copies %s\n", withRecovery ? "on" : "off");
    Form1& form = harness.load();
    form.show();
    settle();
    const QString path = harness.folder.filePath(QStringLiteral("large.rtf"));
    {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(wordpadDocument(qsizetype(megabytes) * 1024 * 1024)) < 0 || !file.commit()) {
            std::printf("cannot write %s\n", qPrintable(path));
            return;
        }
    }
    const double fileMb = QFileInfo(path).size() / 1048576.0;

    const qint64 heapBefore = heapBytesInUse();
    const qint64 residentBefore = trimmedResidentKilobytes();
    harness.dialogs->openAnswers.push_back(FileDialogResult{path, 0});
    const Sample open = measure([&] {
        form.PushButton1->click();
        QCoreApplication::processEvents();
    });
    settle();
    const qint64 heapAfter = heapBytesInUse();
    const qint64 residentAfter = trimmedResidentKilobytes();
    std::printf("%-40s %7.0f ms  (%.1f MB RTF, %lld characters, %d paragraphs)\n", "Open",
                open.wallMs, fileMb,
                static_cast<long long>(form.currentSurface().document()->characterCount()),
                form.currentSurface().document()->blockCount());
    std::printf("%-40s %7.1f KB heap, %.1f KB resident per MB of RTF\n", "memory of the document",
                double(heapAfter - heapBefore) / 1024.0 / fileMb,
                double(residentAfter - residentBefore) / fileMb);

    RichTextSurface& surface = form.currentSurface();
    const int position = form.TabControl1->selectedPosition();
    const QString clean = form.TabControl1->caption(position);
    // One keystroke into the unchanged document, from the key event to its
    // tab showing the change mark and the window having repainted. The mark
    // is taken off again, untimed, so that every keystroke is a first one.
    auto keystrokes = [&](const char* where) {
        std::vector<Sample> samples;
        for (int i = 0; i < 15; ++i) {
            form.TabControl1->setCaption(position, clean);
            settle();
            samples.push_back(measure([&] {
                QTest::keyClick(surface.widget(), Qt::Key_X);
                QCoreApplication::processEvents();
            }));
            if (!form.TabControl1->caption(position).endsWith(QLatin1Char('*')))
                std::printf("(the keystroke did not mark the document)\n");
        }
        printSamples(where, samples);
    };
    keystrokes("keystroke at the start, just opened");
    // Let the editor finish laying the document out, as it does while idle.
    const auto idle = std::chrono::steady_clock::now();
    while (millisecondsSince(idle) < 8000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    keystrokes("keystroke at the start, laid out");
    // The text layout passes over every paragraph after the edited one, so
    // where the caret is decides the cost.
    {
        QTextCursor middle = surface.widget()->textCursor();
        middle.setPosition(surface.document()->characterCount() / 2);
        surface.widget()->setTextCursor(middle);
        settle();
    }
    keystrokes("keystroke in the middle");
    surface.widget()->moveCursor(QTextCursor::End);
    settle();
    keystrokes("keystroke at the end");
    std::vector<Sample> typing;
    for (int i = 0; i < 30; ++i)
        typing.push_back(measure([&] {
            QTest::keyClick(surface.widget(), Qt::Key_Y);
            QCoreApplication::processEvents();
        }));
    printSamples("keystroke, document already marked", typing);
    if (withRecovery) {
        benchRecoveryCopy(form);
        benchRecoveryParts(form);
    }
    if (!harness.messages->shown.empty())
        std::printf("(a report was shown: %s)\n", qPrintable(harness.messages->shown.front().text));
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    // A second argument picks parts: any of "startup", "documents", "large".
    const QByteArray parts = argc > 2 ? QByteArray(argv[2]) : QByteArray("startup,documents,large");
    if (parts.contains("startup"))
        benchStartup(QStringLiteral(FERROTAB_BINARY));
    if (parts.contains("documents"))
        benchDocuments();
    if (parts.contains("large")) {
        benchLargeDocument(megabytes, false);
        const std::map<std::string, double> off = std::exchange(printedMedians, {});
        benchLargeDocument(megabytes, true);
        std::printf("--- keystroke in a %d MB document, median ms: recovery off | on\n", megabytes);
        for (const auto& [what, median] : off)
            if (what.starts_with("keystroke") && printedMedians.count(what))
                std::printf("%-40s %7.2f | %7.2f\n", what.c_str(), median, printedMedians[what]);
    }
    return 0;
}
