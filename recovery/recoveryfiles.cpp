#include "recovery/recoveryfiles.h"

#include "saving/safefile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recovery {

namespace {

constexpr int kIndexVersion = 1;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString defaultFolder() {
    QString state;
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    state = QStandardPaths::writableLocation(QStandardPaths::GenericStateLocation);
#else
    const QString fromEnvironment = qEnvironmentVariable("XDG_STATE_HOME");
    state = QDir::isAbsolutePath(fromEnvironment)
                ? fromEnvironment
                : QDir::homePath() + QStringLiteral("/.local/state");
#endif
    return QDir::cleanPath(state + QStringLiteral("/ferrotab/recovery"));
}

QString makePrivateFolder(const QString& folder) {
    // Every folder made here is made for the user alone: ~/.local/state
    // itself may not exist yet, and the XDG rule asks 0700 of it too.
    const QStringList parts = QDir::cleanPath(folder).split(QLatin1Char('/'));
    QString path;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        path += (i == 0 ? QString() : QStringLiteral("/")) + parts[i];
        if (path.isEmpty())
            continue;
        const QByteArray native = QFile::encodeName(path);
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
            return systemError(errno);
    }
    const QByteArray native = QFile::encodeName(folder);
    struct stat status {};
    if (::stat(native.constData(), &status) != 0)
        return systemError(errno);
    if (!S_ISDIR(status.st_mode))
        return systemError(ENOTDIR);
    // A umask of 0777 would have left it without any access, a shared set-up
    // with group access; the copies in it are nobody else's business.
    if ((status.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        return systemError(errno);
    return {};
}

QString writePrivateFile(const QString& path, QByteArrayView bytes) {
    // The safe writer keeps an existing file's mode and gives a new one the
    // umask's: so the file is made 0600 first, then replaced as a whole.
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return systemError(errno);
    struct stat status {};
    const bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                    ((status.st_mode & 07777) == 0600 || ::fchmod(fd, 0600) == 0);
    const int error = errno;
    ::close(fd);
    if (!ok)
        return systemError(error ? error : EINVAL);
    return SafeFile::save(path, bytes);
}

QByteArray indexBytes(const QList<IndexEntry>& entries) {
    QJsonArray documents;
    for (const IndexEntry& entry : entries)
        documents.append(QJsonObject{
            {QStringLiteral("file"), entry.file},
            {QStringLiteral("caption"), entry.caption},
            {QStringLiteral("path"), entry.path},
            {QStringLiteral("written"), entry.written.toUTC().toString(Qt::ISODateWithMs)},
        });
    return QJsonDocument(QJsonObject{{QStringLiteral("version"), kIndexVersion},
                                     {QStringLiteral("documents"), documents}})
        .toJson();
}

std::optional<QList<IndexEntry>> parseIndex(const QByteArray& bytes) {
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject())
        return std::nullopt;
    const QJsonObject root = json.object();
    if (root.value(QStringLiteral("version")).toInt() != kIndexVersion ||
        !root.value(QStringLiteral("documents")).isArray())
        return std::nullopt;
    QList<IndexEntry> entries;
    for (const QJsonValue& value : root.value(QStringLiteral("documents")).toArray()) {
        const QJsonObject document = value.toObject();
        IndexEntry entry{document.value(QStringLiteral("file")).toString(),
                         document.value(QStringLiteral("caption")).toString(),
                         document.value(QStringLiteral("path")).toString(),
                         QDateTime::fromString(document.value(QStringLiteral("written")).toString(),
                                               Qt::ISODateWithMs)};
        // The index names files to read and delete: only plain names in the
        // recovery folder itself.
        if (entry.file.isEmpty() || entry.file.contains(QLatin1Char('/')) ||
            entry.file.startsWith(QLatin1Char('.')))
            return std::nullopt;
        entries.append(entry);
    }
    return entries;
}

QString lockName(const QString& instance) {
    return instance + QStringLiteral(".lock");
}

QString indexName(const QString& instance) {
    return instance + QStringLiteral(".index");
}

QString copyName(const QString& instance, int serial) {
    return instance + QStringLiteral("-%1.rtf").arg(serial);
}

} // namespace recovery
