// Speed and memory of the RTF codec on WordPad-style documents of 1, 10 and
// 50 MB (or the sizes given): reading into the plain sink, the surface's
// LoadFile, SaveFile and Text; then, on numbered lists of two levels
// ("2.1.") of 2 500 to 10 000 items a level, LoadFile and an item added at the
// top, after which every label below shows another number. Each step runs in
// a child process of its own so that its memory high-water mark is its own.
//
//   rtf_bench [MB...]
//   rtf_bench --generate MB FILE     (the document alone, for a profiler)
//   rtf_bench --step null|plain|load|save|text|enter|type FILE
#include "bench/benchsupport.h"
#include "components/richtextsurface.h"
#include "components/rtf/plaintextsink.h"
#include "components/rtf/reader.h"
#include "wordpadgenerator.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr double megabyte = 1000.0 * 1000.0;

// Peak resident memory of this process in kilobytes.
qint64 peakKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size())
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

template <typename Sink> double bestReadMs(const QByteArray& content, int rounds) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        Sink sink;
        const auto start = std::chrono::steady_clock::now();
        rtf::Reader(sink).read(std::string_view(content.constData(), std::size_t(content.size())));
        best = std::min(best, millisecondsSince(start));
    }
    return best;
}

// A list of two levels whose second level's labels show the first's number,
// the given number of items of each level taking turns.
QByteArray twoLevelListDocument(int items) {
    QByteArray content(
        "{\\rtf1\\ansi{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}"
        "{\\levelnumbers\\'01;}}{\\listlevel\\levelnfc0{\\leveltext\\'04\\'00.\\'01.;}"
        "{\\levelnumbers\\'01\\'03;}}\\listid7}}{\\*\\listoverridetable{\\listoverride"
        "\\listid7\\ls1}}\n");
    for (int n = 1; n <= items; ++n)
        content += "\\pard\\ls1 Item " + QByteArray::number(n) +
                   " of the list\\par\\pard\\ls1\\ilvl1 The point under it\\par\n";
    return content + "}";
}

// One step in this process; prints "milliseconds peak-KB" for the parent.
int runStep(const QString& step, const QString& path, int argc, char** argv) {
    if (step == QLatin1String("plain") || step == QLatin1String("null")) {
        const QByteArray content = readAll(path);
        const double ms = step == QLatin1String("plain")
                              ? bestReadMs<rtf::PlainTextSink>(content, 3)
                              : bestReadMs<rtf::NullSink>(content, 3);
        std::printf("%.3f %lld\n", ms, static_cast<long long>(peakKilobytes()));
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QWidget window;
    RichTextSurface surface(0, &window);
    const auto start = std::chrono::steady_clock::now();
    surface.loadFile(path);
    double ms = millisecondsSince(start);
    if (step == QLatin1String("save")) {
        const auto saveStart = std::chrono::steady_clock::now();
        surface.saveFile(path + QStringLiteral(".saved.rtf"));
        ms = millisecondsSince(saveStart);
    } else if (step == QLatin1String("text")) {
        const auto textStart = std::chrono::steady_clock::now();
        const QString text = surface.text();
        ms = millisecondsSince(textStart);
        if (text.isEmpty())
            return 1;
    } else if (step == QLatin1String("enter") || step == QLatin1String("type")) {
        // Enter at the end of the first item, or a letter typed into it, and
        // what the editor does after the edit: renumber every label below
        // after the Enter; nothing after the letter.
        const bool enter = step == QLatin1String("enter");
        const auto editStart = std::chrono::steady_clock::now();
        QTextCursor cursor(surface.document()->begin());
        cursor.movePosition(QTextCursor::EndOfBlock);
        if (enter)
            cursor.insertBlock();
        else
            cursor.insertText(QStringLiteral("s"));
        QCoreApplication::processEvents();
        ms = millisecondsSince(editStart);
        const QTextBlock point = surface.document()->findBlockByNumber(2);
        if (enter && point.textList()->itemText(point) != QLatin1String("2.1."))
            return 1;
    }
    std::printf("%.3f %lld\n", ms, static_cast<long long>(peakKilobytes()));
    return 0;
}

struct Result {
    double ms = -1;
    qint64 peakKb = -1;
};

Result runOnce(const char* self, const QString& step, const QString& path) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QString::fromLocal8Bit(self), {QStringLiteral("--step"), step, path});
    if (!child.waitForFinished(600000) || child.exitCode() != 0)
        return {};
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    return {fields.value(0).toDouble(), fields.value(1).toLongLong()};
}

// The median of three processes: on a shared machine one run can take half
// as long again as the next.
Result runChild(const char* self, const QString& step, const QString& path) {
    Result runs[3];
    for (Result& run : runs)
        if ((run = runOnce(self, step, path)).ms < 0)
            return {};
    std::sort(std::begin(runs), std::end(runs),
              [](const Result& a, const Result& b) { return a.ms < b.ms; });
    return runs[1];
}

void printRow(const char* name, const Result& result, double sizeMb, bool rate) {
    if (result.ms < 0) {
        std::printf("  %-24s failed\n", name);
        return;
    }
    const double peakMb = result.peakKb * 1024.0 / megabyte;
    std::printf("  %-24s %9.1f ms", name, result.ms);
    if (rate)
        std::printf(" %9.1f MB/s", sizeMb / (result.ms / 1000.0));
    else
        std::printf(" %14s", "");
    std::printf("   peak %7.1f MB (%4.1fx file)\n", peakMb, peakMb / sizeMb);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string_view(argv[1]) == "--step")
        return runStep(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), argc,
                       argv);

    if (argc == 4 && std::string_view(argv[1]) == "--generate") {
        const QByteArray content = wordpadDocument(qsizetype(std::atof(argv[2]) * megabyte));
        return writeFile(QString::fromLocal8Bit(argv[3]), content) ? 0 : 1;
    }

    // Qt's warning about a missing runtime directory would only clutter the table.
    if (qgetenv("XDG_RUNTIME_DIR").isEmpty())
        qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toLocal8Bit());
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << std::max(1, std::atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {1, 10, 50};
    QTemporaryDir dir;

    std::printf("RTF codec, WordPad-style documents; each step in its own process, run three "
                "times: the median\n(a read without the editor: the best of three in its "
                "process)\n");
    std::printf("(peak = that process's VmHWM, Qt included; Text has no MB/s of its own)\n");
    for (const int size : sizes) {
        const QByteArray content = wordpadDocument(qsizetype(size * megabyte));
        const QString path = dir.filePath(QStringLiteral("doc%1.rtf").arg(size));
        if (!writeFile(path, content))
            return 1;
        const double sizeMb = content.size() / megabyte;
        std::printf("\n%.1f MB document (%lld bytes)\n", sizeMb,
                    static_cast<long long>(content.size()));
        printRow("read, no sink", runChild(argv[0], QStringLiteral("null"), path), sizeMb, true);
        printRow("read, plain sink", runChild(argv[0], QStringLiteral("plain"), path), sizeMb,
                 true);
        printRow("LoadFile (surface)", runChild(argv[0], QStringLiteral("load"), path), sizeMb,
                 true);
        printRow("SaveFile (after load)", runChild(argv[0], QStringLiteral("save"), path), sizeMb,
                 true);
        printRow("Text (after load)", runChild(argv[0], QStringLiteral("text"), path), sizeMb,
                 false);
        // Written by the save step above: a writer that repeats whole formats
        // makes files grow with every save.
        std::printf("  %-24s %9.2fx the original\n", "saved size",
                    double(QFileInfo(path + QStringLiteral(".saved.rtf")).size()) /
                        double(content.size()));

        std::fflush(stdout);
    }

    // Qt lays out every item of a list again for each item added to it, so
    // that opening a long list costs the square of its length.
    std::printf("\nNumbered list of two levels, labels \"2.1.\" (n items of each level)\n");
    for (const int items : {2500, 5000, 10000}) {
        const QByteArray list = twoLevelListDocument(items);
        const QString path = dir.filePath(QStringLiteral("list%1.rtf").arg(items));
        if (!writeFile(path, list))
            return 1;
        const double sizeMb = list.size() / megabyte;
        std::printf("%d items (%.2f MB)\n", items, sizeMb);
        printRow("LoadFile (surface)", runChild(argv[0], QStringLiteral("load"), path), sizeMb,
                 true);
        printRow("Enter atop, labels", runChild(argv[0], QStringLiteral("enter"), path), sizeMb,
                 false);
        printRow("a letter, labels", runChild(argv[0], QStringLiteral("type"), path), sizeMb,
                 false);
        std::fflush(stdout);
    }
    return 0;
}
