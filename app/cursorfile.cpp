#include "app/cursorfile.h"

#include "components/runtimeerror.h"

#include <QFile>
#include <QPixmap>

QCursor loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(file.errorString());
    const QByteArray bytes = file.readAll();
    QPixmap picture;
    // The ico image plugin reads cursor files too, but drops the hotspot.
    if (!picture.loadFromData(bytes, "ICO") && !picture.loadFromData(bytes))
        throw RuntimeError(QStringLiteral("Invalid picture"));
    // The first directory entry (after the 6-byte header) keeps the hotspot's
    // x and y as little-endian 16-bit values at offsets 4 and 6 of the entry.
    auto word = [&bytes](int at) {
        return at + 1 < bytes.size() ? int(quint8(bytes[at])) | int(quint8(bytes[at + 1])) << 8 : 0;
    };
    const bool isCursor = word(2) == 2;
    const int x = isCursor ? qBound(0, word(10), picture.width() - 1) : 0;
    const int y = isCursor ? qBound(0, word(12), picture.height() - 1) : 0;
    return QCursor(picture, x, y);
}
