#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// The files of recovery copies: where they live, how they are written, and the
// small index each running editor keeps beside its copies. Nothing here shows
// anything or throws; failures come back as the system's own text.
namespace recovery {

// $XDG_STATE_HOME/ferrotab/recovery (~/.local/state/ferrotab/recovery when
// XDG_STATE_HOME is unset or not absolute, as the XDG rule says).
QString defaultFolder();

// Creates the folder and whatever of its parents is missing, and makes the
// folder itself the user's alone (0700) whatever the umask or its old mode.
// An empty text on success, else the reason.
QString makePrivateFolder(const QString& folder);

// Writes the bytes through the safe writer into a file that only the user may
// read or write (0600), whatever the umask: a copy is a document, and
// documents can be private. An empty text on success, else the reason.
QString writePrivateFile(const QString& path, QByteArrayView bytes);

// One document of an index: its copy's file name (in the same folder), the
// tab's caption without the changed mark, the document's path ("" for one
// never saved), and when the copy was written.
struct IndexEntry {
    QString file;
    QString caption;
    QString path;
    QDateTime written;

    bool operator==(const IndexEntry&) const = default;
};

QByteArray indexBytes(const QList<IndexEntry>& entries);
// None when the bytes are not an index this program wrote; entries whose copy
// name would leave the folder are refused with it.
std::optional<QList<IndexEntry>> parseIndex(const QByteArray& bytes);

// The names of an instance's files in the folder.
QString lockName(const QString& instance);
QString indexName(const QString& instance);
QString copyName(const QString& instance, int serial);

} // namespace recovery
