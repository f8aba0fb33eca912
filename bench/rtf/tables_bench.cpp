// LoadFile and SaveFile of a 10 MB document (or the size given) in Word's
// manner with 500 tables and 100 pictures between its paragraphs: tables of
// five rows and four cells, one cell merged, one nested table in ten; PNG
// pictures with a WMF among every five.
//
//   tables_bench [MB]
//   tables_bench --generate MB FILE     (the document alone, for a profiler)
#include "bench/benchsupport.h"
#include "components/richtextsurface.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr double megabyte = 1000.0 * 1000.0;
constexpr int tableCount = 500;
constexpr int pictureCount = 100;

QByteArray hexLines(const QByteArray& data) {
    const QByteArray hex = data.toHex();
    QByteArray out;
    for (qsizetype i = 0; i < hex.size(); i += 128)
        out += hex.mid(i, 128) + "\r\n";
    return out;
}

QByteArray picture(int n) {
    if (n % 5 == 4) {
        QByteArray wmf(4000, '\0');
        for (qsizetype i = 0; i < wmf.size(); ++i)
            wmf[i] = char(i * 31 + n);
        return "{\\*\\shppict{"
               "\\pict\\wmetafile8\\picw2646\\pich1764\\picwgoal1500\\pichgoal1000\r\n" +
               hexLines(wmf) + "}}";
    }
    QImage image(96, 64, QImage::Format_RGB32);
    QRandomGenerator random{quint32(n)};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 3 + n) & 255, (y * 5) & 255, int(random.bounded(256))));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return "{\\*\\shppict{\\pict\\picscalex100\\picscaley100\\picw96\\pich64\\picwgoal1440"
           "\\pichgoal960\\pngblip\r\n" +
           hexLines(png) + "}}";
}

QByteArray rowDefinition(bool merged) {
    QByteArray row = "\\trowd\\irow0\\trgaph108\\trleft-108";
    const char* borders = "\\clbrdrt\\brdrs\\brdrw10 \\clbrdrl\\brdrs\\brdrw10 \\clbrdrb"
                          "\\brdrs\\brdrw10 \\clbrdrr\\brdrs\\brdrw10 ";
    for (int c = 1; c <= 4; ++c) {
        row += borders;
        if (merged && c == 2)
            row += "\\clmgf";
        if (merged && c == 3)
            row += "\\clmrg";
        row += "\\cellx" + QByteArray::number(c * 2160);
    }
    return row + "\r\n";
}

QByteArray table(int n) {
    QByteArray out;
    for (int r = 0; r < 5; ++r) {
        const QByteArray definition = rowDefinition(r == 2);
        out += definition;
        for (int c = 0; c < 4; ++c) {
            out += "\\pard\\plain\\intbl\\ql\\f0\\fs20 {\\b T" + QByteArray::number(n) +
                   "}"
                   " row " +
                   QByteArray::number(r) + " cell " + QByteArray::number(c);
            if (n % 10 == 0 && r == 0 && c == 3)
                out += "\\cell\\pard\\intbl\\itap2 inner a\\nestcell inner b\\nestcell"
                       "{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}"
                       "{\\nonesttables\\par}\\pard\\intbl\\itap1 ";
            out += "\\cell\r\n";
        }
        out += "{" + definition + "\\row}\r\n";
    }
    return out;
}

QByteArray document(qsizetype bytes) {
    QByteArray out =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman "
        "Times New Roman;}}\r\n{\\colortbl;\\red0\\green0\\blue0;\\red200\\green0"
        "\\blue0;}\r\n";
    QByteArray tables, pictures;
    for (int n = 0; n < tableCount; ++n)
        tables += table(n);
    for (int n = 0; n < pictureCount; ++n)
        pictures += picture(n);
    const qsizetype textPerChunk =
        std::max<qsizetype>(200, (bytes - tables.size() - pictures.size()) / tableCount);
    const QByteArray sentence =
        "The quick brown fox {\\b jumps} over the {\\i lazy} dog and {\\cf2 keeps} running. ";
    for (int n = 0; n < tableCount; ++n) {
        out += "\\pard\\plain\\f1\\fs24 ";
        for (qsizetype written = 0; written < textPerChunk; written += sentence.size()) {
            out += sentence;
            if ((written / sentence.size()) % 8 == 7)
                out += "\\par\r\n";
        }
        if (n % (tableCount / pictureCount) == 0)
            out += picture(n / (tableCount / pictureCount));
        out += "\\par\r\n" + table(n);
    }
    out += "\\pard\\plain\\f1\\fs24 The end.\\par}\r\n";
    return out;
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    if (qgetenv("XDG_RUNTIME_DIR").isEmpty())
        qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toLocal8Bit());
    QApplication app(argc, argv);
    if (argc == 4 && std::string_view(argv[1]) == "--generate") {
        QFile file(QString::fromLocal8Bit(argv[3]));
        const QByteArray content = document(qsizetype(std::atof(argv[2]) * megabyte));
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() ? 0 : 1;
    }
    const double size = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tables.rtf"));
    {
        const QByteArray content = document(qsizetype(size * megabyte));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return 1;
        std::printf("document: %.1f MB, %d tables, %d pictures\n", content.size() / megabyte,
                    tableCount, pictureCount);
    }
    QWidget window;
    RichTextSurface surface(0, &window);
    for (int round = 0; round < 2; ++round) {
        auto start = std::chrono::steady_clock::now();
        double cpu = threadCpuMilliseconds();
        surface.loadFile(path);
        std::printf("  LoadFile  %8.1f ms  (cpu %8.1f ms)\n", millisecondsSince(start),
                    threadCpuMilliseconds() - cpu);
        start = std::chrono::steady_clock::now();
        cpu = threadCpuMilliseconds();
        surface.saveFile(path + QStringLiteral(".saved.rtf"));
        std::printf("  SaveFile  %8.1f ms  (cpu %8.1f ms)\n", millisecondsSince(start),
                    threadCpuMilliseconds() - cpu);
    }
    std::printf("  resident afterwards %.1f MB\n", residentKilobytes() / 1000.0);
    return 0;
}
