#include "documents/filecontent.h"

#include "components/runtimeerror.h"

#include <QFile>
#include <QFileInfo>

QByteArray readFileContent(const QString& path) {
    // A directory opens on Linux but reads nothing: say so instead of
    // showing an empty document.
    if (QFileInfo(path).isDir())
        throw RuntimeError(QStringLiteral("Is a directory"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(file.errorString());
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError(file.errorString());
    return content;
}
