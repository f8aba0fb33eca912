// Open and Save of a large document through the handlers, as the user runs
// them: dialogs answered at once, everything else real.
#include "app/form1.h"
#include "benchsupport.h"
#include "tests/support/scripted.h"

#include <QApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>
#include <ctime>

namespace {

// CPU time of the process: on a machine shared with other work the wall clock
// says more about the neighbours than about us.
double cpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// About `megabytes` of RTF in the style of a rich edit control: a run of
// changing format every few words, paragraphs of a few hundred characters.
QByteArray generateRtf(int megabytes) {
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
                     "{\\f1\\froman\\fcharset0 Times New Roman;}}\n"
                     "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\n"
                     "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    const QByteArray runs[] = {
        "plain words and more words ", "{\\b bold text} ", "{\\i italic} ", "\\cf1 red\\cf0  ",
        "{\\f1\\fs24 serif larger} ",  "caf\\'e9 ",        "\\u8364?uro ",  "{\\ul underlined} "};
    int paragraph = 0;
    while (rtf.size() < qsizetype(megabytes) * 1024 * 1024) {
        for (int i = 0; i < 12; ++i)
            rtf += runs[(paragraph + i) % 8];
        rtf += (++paragraph % 5 == 0) ? "\\par\\pard\\qc " : "\\par\n";
    }
    rtf += "}";
    return rtf;
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 10;

    FormHarness harness;
    Form1& form = harness.load();
    form.show();
    const QString source = harness.folder.filePath(QStringLiteral("large.rtf"));
    {
        QSaveFile file(source);
        if (!file.open(QIODevice::WriteOnly) || file.write(generateRtf(megabytes)) < 0 ||
            !file.commit()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(source));
            return 1;
        }
    }
    const double sourceMb = QFileInfo(source).size() / 1048576.0;
    const qint64 memoryBefore = residentKilobytes();

    harness.dialogs->openAnswers.push_back(FileDialogResult{source, 0});
    auto start = std::chrono::steady_clock::now();
    double cpuStart = cpuMilliseconds();
    form.PushButton1_Click();
    QCoreApplication::processEvents();
    const double openMs = millisecondsSince(start);
    const double openCpuMs = cpuMilliseconds() - cpuStart;
    const qint64 memoryOpen = residentKilobytes();

    const QString target = harness.folder.filePath(QStringLiteral("saved.rtf"));
    harness.dialogs->saveAnswers.push_back(FileDialogResult{target, 0});
    form.PushButton14_Click(); // Save As: the same write, to a new name
    start = std::chrono::steady_clock::now();
    cpuStart = cpuMilliseconds();
    form.PushButton7_Click(); // Save to the known path, no dialog
    const double saveMs = millisecondsSince(start);
    const double saveCpuMs = cpuMilliseconds() - cpuStart;
    const double savedMb = QFileInfo(target).size() / 1048576.0;

    std::printf("document:     %.1f MB RTF, %lld characters of Text\n", sourceMb,
                static_cast<long long>(form.currentSurface().text().size()));
    std::printf("Open:         %.0f ms, CPU %.0f ms (%.1f MB/s), RSS %lld KB -> %lld KB\n", openMs,
                openCpuMs, sourceMb / (openMs / 1000), static_cast<long long>(memoryBefore),
                static_cast<long long>(memoryOpen));
    std::printf("Save:         %.0f ms, CPU %.0f ms (%.1f MB written, %.1f MB/s)\n", saveMs,
                saveCpuMs, savedMb, savedMb / (saveMs / 1000));
    std::printf("reports shown: %zu\n", harness.messages->shown.size());
    return harness.messages->shown.empty() ? 0 : 1;
}
