#include "recovery/staleinstances.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>

namespace recovery {

namespace {

// A write cut short leaves the safe writer's temporary file; one this old
// belongs to no write still running.
constexpr qint64 kAbandonedTemporarySeconds = 3600;

// The instance a file of the folder belongs to: its name up to ".lock",
// ".index" or "-N.rtf".
QString instanceOf(const QString& name) {
    if (name.endsWith(QLatin1String(".lock")))
        return name.chopped(5);
    if (name.endsWith(QLatin1String(".index")))
        return name.chopped(6);
    if (name.endsWith(QLatin1String(".rtf"))) {
        const qsizetype dash = name.lastIndexOf(QLatin1Char('-'));
        if (dash > 0)
            return name.left(dash);
    }
    return {};
}

} // namespace

std::vector<StaleInstance> claimStaleInstances(const QString& folder, const QString& own) {
    const QDir dir(folder);
    QMap<QString, QStringList> filesOf; // sorted, so instances come in a stable order
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QFileInfoList found =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& file : found) {
        const QString name = file.fileName();
        if (name.startsWith(QLatin1String(".ferrotab-")) && name.endsWith(QLatin1String(".tmp"))) {
            if (file.lastModified().secsTo(now) > kAbandonedTemporarySeconds)
                QFile::remove(file.filePath());
            continue;
        }
        const QString instance = instanceOf(name);
        if (!instance.isEmpty() && instance != own)
            filesOf[instance] << file.filePath();
    }

    std::vector<StaleInstance> stale;
    for (auto it = filesOf.cbegin(); it != filesOf.cend(); ++it) {
        StaleInstance instance;
        instance.instance = it.key();
        instance.files = it.value();
        // A lock held by a running editor (this one's own included) is not
        // taken: its copies are its own business.
        instance.lock = std::make_unique<QLockFile>(dir.filePath(lockName(it.key())));
        instance.lock->setStaleLockTime(0);
        if (!instance.lock->tryLock(0))
            continue;
        const QString indexPath = dir.filePath(indexName(it.key()));
        if (!instance.files.contains(indexPath)) {
            removeInstance(instance); // nothing listed: nothing the user would know of
            continue;
        }
        QFile index(indexPath);
        std::optional<QList<IndexEntry>> entries;
        if (index.open(QIODevice::ReadOnly))
            entries = parseIndex(index.readAll());
        if (entries) {
            instance.entries = *entries;
        } else {
            instance.unreadableIndex = indexPath;
            for (const QString& file : std::as_const(instance.files))
                if (file.endsWith(QLatin1String(".rtf")))
                    instance.entries << IndexEntry{
                        QFileInfo(file).fileName(), QFileInfo(file).fileName(), QString(), {}};
        }
        if (instance.entries.isEmpty() && instance.unreadableIndex.isEmpty()) {
            removeInstance(instance);
            continue;
        }
        stale.push_back(std::move(instance));
    }
    return stale;
}

void removeInstance(StaleInstance& instance) {
    const QString lockPath = instance.lock ? instance.lock->fileName() : QString();
    for (const QString& file : std::as_const(instance.files))
        if (file != lockPath)
            QFile::remove(file);
    if (instance.lock)
        instance.lock->unlock();
}

} // namespace recovery
