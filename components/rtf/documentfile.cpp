#include "components/rtf/documentfile.h"

#include "components/rtf/plaintext.h"
#include "components/rtf/qtsink.h"
#include "components/rtf/reader.h"
#include "components/rtf/writer.h"
#include "components/runtimeerror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace rtf {

bool isRtf(const QByteArray& content) {
    QByteArrayView view(content);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    return view.startsWith("{\\rtf");
}

void loadBytes(QTextDocument& document, const QByteArray& content) {
    QtDocumentSink sink(document);
    if (isRtf(content)) {
        const qsizetype bom = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        Reader reader(sink);
        reader.read(std::string_view(content.constData() + bom,
                                     static_cast<std::size_t>(content.size() - bom)));
    } else {
        readPlainText(decodePlainText(content), sink);
    }
}

void loadFile(QTextDocument& document, const QString& path) {
    QFile file(path);
    // A directory opens on Linux but reads nothing: say so instead of
    // showing an empty document.
    if (QFileInfo(path).isDir())
        throw RuntimeError(QStringLiteral("Is a directory"));
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(file.errorString());
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError(file.errorString());
    loadBytes(document, content);
}

QByteArray saveBytes(const QTextDocument& document) {
    return writeRtf(document);
}

void saveRawFile(const QByteArray& bytes, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw RuntimeError(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        throw RuntimeError(error);
    }
    if (!file.commit())
        throw RuntimeError(file.errorString());
}

void saveFile(const QTextDocument& document, const QString& path) {
    saveRawFile(saveBytes(document), path);
}

} // namespace rtf
