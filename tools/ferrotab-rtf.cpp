// ferrotab-rtf: loads a file the way the editor's surface does and prints its
// Text, dumps it as JSON, or converts it to RTF or plain text.

#include "components/rtf/documentdump.h"
#include "components/rtf/documentfile.h"
#include "components/runtimeerror.h"
#include "documents/filecontent.h"
#include "saving/safefile.h"

#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QTextDocument>
#include <csignal>
#include <cstdio>

namespace {

int usage() {
    std::fputs(
        "usage: ferrotab-rtf text FILE\n"
        "       ferrotab-rtf dump FILE\n"
        "       ferrotab-rtf convert IN OUT   (OUT ending in .rtf gets RTF, else plain text)\n",
        stderr);
    return 2;
}

void writeStdout(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
}

// The surface's design font, so that sizes and fonts come out as the editor
// would show and save them.
void prepare(QTextDocument& document) {
    document.setDefaultFont(QFont(QStringLiteral("Arial"), 9));
}

int run(const QStringList& args) {
    if (args.size() < 3)
        return usage();
    const QString& command = args[1];
    QTextDocument document;
    prepare(document);
    if (command == QLatin1StringView("text") && args.size() == 3) {
        rtf::loadBytes(document, readFileContent(args[2]));
        writeStdout(rtf::documentText(document).toUtf8());
        writeStdout("\n");
        return 0;
    }
    if (command == QLatin1StringView("dump") && args.size() == 3) {
        rtf::loadBytes(document, readFileContent(args[2]));
        writeStdout(rtf::dumpDocument(document));
        return 0;
    }
    if (command == QLatin1StringView("convert") && args.size() == 4) {
        rtf::loadBytes(document, readFileContent(args[2]));
        const bool rtfOut =
            QFileInfo(args[3]).suffix().compare(QLatin1StringView("rtf"), Qt::CaseInsensitive) == 0;
        const QByteArray bytes =
            rtfOut ? rtf::saveBytes(
                         document) // else as the editor's plain-text save: Text and one line break
                   : (rtf::documentText(document) + QLatin1StringView("\r\n")).toUtf8();
        if (const QString error = SafeFile::save(args[3], bytes); !error.isEmpty())
            throw RuntimeError(error);
        return 0;
    }
    return usage();
}

} // namespace

int main(int argc, char** argv) {
    // No display is needed for documents; the offscreen platform avoids asking for one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Over a file-size limit a write must fail with "File too large", not end
    // the program before it can say so.
    std::signal(SIGXFSZ, SIG_IGN);
    QGuiApplication app(argc, argv);
    try {
        return run(app.arguments());
    } catch (const RuntimeError& error) {
        std::fprintf(stderr, "ferrotab-rtf: %s\n", error.description().toLocal8Bit().constData());
        return 1;
    }
}
