#pragma once

#include "recovery/recoveryfiles.h"

#include <QLockFile>
#include <QStringList>
#include <memory>
#include <vector>

namespace recovery {

// The copies of one editor that is no longer running, held by its lock while
// they are offered so that no other editor starting meanwhile offers them too.
struct StaleInstance {
    QString instance;
    std::unique_ptr<QLockFile> lock;
    QList<IndexEntry> entries;
    // Set when the index could not be read: the copies found by name are
    // offered instead, each under its file name.
    QString unreadableIndex;
    QStringList files; // every file of the instance, removed when done
};

// Claims the copies of every editor whose lock is free (it ended without
// removing them: a crash, a kill, a lost session) except `own`. Leftovers
// that list no copy (a lock alone, a copy no index names, a temporary file of
// a write cut short) are removed on the way.
std::vector<StaleInstance> claimStaleInstances(const QString& folder, const QString& own);

// Removes the instance's files and gives up its lock.
void removeInstance(StaleInstance& instance);

} // namespace recovery
