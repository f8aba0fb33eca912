#include "recovery/recovery.h"

#include "components/rtf/documentfile.h"
#include "components/rtf/writer.h"
#include "recovery/recoveryfiles.h"

#include <QFile>
#include <QSet>
#include <QTextDocument>
#include <QUuid>
#include <algorithm>

using namespace recovery;

namespace {

// The longest the editor writes a copy at a time before it looks at the
// user's input again: well under what a keystroke takes to show.
constexpr int kSliceMs = 2;

} // namespace

Recovery::Recovery(QString folder, DocumentList unsaved, QObject* parent)
    : QObject(parent), folder_(std::move(folder)),
      instance_(QUuid::createUuid().toString(QUuid::WithoutBraces)), unsaved_(std::move(unsaved)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Recovery::timerFired);
    // A zero timer runs once every event that came meanwhile is handled.
    slicer_.setSingleShot(true);
    connect(&slicer_, &QTimer::timeout, this, &Recovery::slice);
    thread_.setObjectName(QStringLiteral("recovery writer"));
    writer_ = new QObject;
    writer_->moveToThread(&thread_);
    thread_.start(QThread::LowPriority);
}

Recovery::~Recovery() {
    timer_.stop();
    slicer_.stop();
    // As a crash would: the copies on disk stay, unfinished ones are dropped.
    waitForWrites();
    thread_.quit();
    thread_.wait();
    delete writer_;
}

void Recovery::post(std::function<void()> job) {
    QMetaObject::invokeMethod(writer_, std::move(job), Qt::QueuedConnection);
}

void Recovery::waitForWrites() {
    QMetaObject::invokeMethod(
        writer_, [] {}, Qt::BlockingQueuedConnection);
}

void Recovery::documentChanged(qint16 index) {
    // Called for every keystroke: a counter, a clock reading and, once per
    // pause, a timer. Everything else waits for the pause.
    Entry& entry = entries_[index];
    if (entry.generation == 0)
        entry.generation = ++generations_;
    ++entry.revision;
    lastChange_.start();
    if (!pending_) {
        pending_ = true;
        firstPending_.start();
    }
    if (!waitingForPause_) {
        waitingForPause_ = true;
        timer_.start(timing_.pauseMs);
    }
}

void Recovery::timerFired() {
    waitingForPause_ = false;
    if (pending_) {
        const qint64 idle = lastChange_.elapsed();
        const qint64 waited = firstPending_.elapsed();
        if (idle < timing_.pauseMs && waited < timing_.capMs) {
            // Still typing: wait for the pause, but not past the cap.
            waitingForPause_ = true;
            timer_.start(int(std::min(timing_.pauseMs - idle, timing_.capMs - waited)));
            return;
        }
    }
    flush();
}

void Recovery::armRetry() {
    if (!timer_.isActive())
        timer_.start(timing_.retryMs);
}

void Recovery::flush() {
    pending_ = false;
    const std::vector<Document> unsaved = unsaved_();
    dropOthers(unsaved);
    for (int order = 0; order < int(unsaved.size()); ++order) {
        const Document& document = unsaved[size_t(order)];
        Entry& entry = entries_[document.index];
        if (entry.generation == 0) { // changed without our seeing it: copy it all the same
            entry.generation = ++generations_;
            entry.revision = 1;
        }
        if (entry.caption != document.caption || entry.path != document.path ||
            entry.order != order) {
            entry.caption = document.caption;
            entry.path = document.path;
            entry.order = order;
            indexStale_ = indexStale_ || entry.onDisk;
        }
        if (entry.copied != entry.revision) {
            if (!entry.copier || entry.copier->document() != document.content)
                entry.copier = std::make_shared<rtf::IncrementalWriter>(*document.content);
            entry.due = true;
        }
    }
    if (indexStale_)
        writeIndex();
    slice();
}

void Recovery::slice() {
    const QDeadlineTimer deadline(kSliceMs, Qt::PreciseTimer);
    QElapsedTimer clock;
    clock.start();
    bool unfinished = false;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        Entry& entry = *it;
        // One file write at a time per copy; the next slice after it ends
        // carries on.
        if (!entry.due || entry.writing)
            continue;
        if (deadline.hasExpired() || !entry.copier->write(deadline)) {
            unfinished = unfinished || entry.copier->document() != nullptr;
            continue;
        }
        startCopy(it.key(), entry);
    }
    longestSliceMs_ = std::max(longestSliceMs_, double(clock.nsecsElapsed()) / 1e6);
    if (unfinished)
        slicer_.start(0);
}

void Recovery::sync() {
    dropOthers(unsaved_());
    if (indexStale_)
        writeIndex();
}

void Recovery::dropOthers(const std::vector<Document>& unsaved) {
    QSet<qint16> kept;
    for (const Document& document : unsaved)
        kept.insert(document.index);
    QStringList files;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (kept.contains(it.key())) {
            ++it;
            continue;
        }
        if (it->serial != 0 && (it->onDisk || it->writing))
            files << pathOf(copyName(instance_, it->serial));
        indexStale_ = indexStale_ || it->onDisk;
        it = entries_.erase(it);
    }
    if (files.isEmpty())
        return;
    // The index stops naming a copy before the copy goes: a kill between the
    // two leaves a file no one offers, never an entry without its file.
    writeIndex();
    post([files] {
        for (const QString& file : files)
            QFile::remove(file);
    });
}

bool Recovery::ensureLocked() {
    if (lock_)
        return true;
    if (const QString error = makePrivateFolder(folder_); !error.isEmpty()) {
        lastError_ = error;
        return false;
    }
    // The lock tells every other editor starting meanwhile that these copies
    // belong to one still running; it lasts as long as this process.
    const QString path = pathOf(lockName(instance_));
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        lastError_ = QStringLiteral("The recovery folder cannot be locked");
        return false;
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    lock_ = std::move(lock);
    return true;
}

void Recovery::startCopy(qint16 index, Entry& entry) {
    if (!ensureLocked()) {
        armRetry();
        return;
    }
    if (entry.serial == 0)
        entry.serial = ++serials_;
    entry.due = false;
    entry.writing = true;
    // The copy is the document as it stands now that its last piece is
    // written; the pieces are shared, so joining them can wait for the writer.
    const QByteArrayList parts = entry.copier->file();
    const QString path = pathOf(copyName(instance_, entry.serial));
    const QString folder = folder_;
    const quint64 generation = entry.generation;
    const quint64 revision = entry.revision;
    post([this, parts, path, folder, index, generation, revision] {
        const QByteArray bytes = parts.join();
        // The folder may have gone since (a clean-up of ~/.local/state).
        QString error = makePrivateFolder(folder);
        if (error.isEmpty())
            error = writePrivateFile(path, bytes);
        QMetaObject::invokeMethod(
            this, [=, this] { copyFinished(index, generation, revision, error); },
            Qt::QueuedConnection);
    });
}

void Recovery::adopt(qint16 index, const QByteArray& rtf) {
    Entry& entry = entries_[index];
    entry = Entry{};
    entry.generation = ++generations_;
    entry.revision = 1;
    for (const Document& document : unsaved_())
        if (document.index == index) {
            entry.caption = document.caption;
            entry.path = document.path;
        }
    entry.order = int(entries_.size());
    if (!ensureLocked()) { // the next pause copies it the usual way
        armRetry();
        return;
    }
    entry.serial = ++serials_;
    entry.writing = true;
    const QString path = pathOf(copyName(instance_, entry.serial));
    const QString folder = folder_;
    const quint64 generation = entry.generation;
    post([this, rtf, path, folder, index, generation] {
        QString error = makePrivateFolder(folder);
        if (error.isEmpty())
            error = writePrivateFile(path, rtf);
        QMetaObject::invokeMethod(
            this, [=, this] { copyFinished(index, generation, 1, error); }, Qt::QueuedConnection);
    });
}

void Recovery::copyFinished(qint16 index, quint64 generation, quint64 revision,
                            const QString& error) {
    lastError_ = error;
    const auto it = entries_.find(index);
    // An entry dropped meanwhile had its copy removed after this write.
    if (it != entries_.end() && it->generation == generation) {
        it->writing = false;
        if (error.isEmpty()) {
            it->copied = revision;
            it->onDisk = true;
            it->time = QDateTime::currentDateTime();
            writeIndex();
        } else {
            armRetry();
        }
        // A copy fell due while this one was written.
        if (it->due)
            slicer_.start(0);
    }
    emit written(error);
}

void Recovery::writeIndex() {
    indexStale_ = false;
    QList<const Entry*> listed;
    for (const Entry& entry : std::as_const(entries_))
        if (entry.onDisk)
            listed << &entry;
    std::sort(listed.begin(), listed.end(),
              [](const Entry* a, const Entry* b) { return a->order < b->order; });
    QList<IndexEntry> index;
    for (const Entry* entry : std::as_const(listed))
        index << IndexEntry{copyName(instance_, entry->serial), entry->caption, entry->path,
                            entry->time};
    const QString path = pathOf(indexName(instance_));
    if (index.isEmpty()) {
        post([path] { QFile::remove(path); });
        return;
    }
    const QByteArray bytes = indexBytes(index);
    post([this, path, bytes] {
        const QString error = writePrivateFile(path, bytes);
        if (error.isEmpty())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, error] {
                lastError_ = error;
                indexStale_ = true;
                armRetry();
                emit written(error);
            },
            Qt::QueuedConnection);
    });
}

void Recovery::discardAll() {
    timer_.stop();
    slicer_.stop();
    waitingForPause_ = false;
    pending_ = false;
    waitForWrites();
    for (const Entry& entry : std::as_const(entries_))
        if (entry.serial != 0)
            QFile::remove(pathOf(copyName(instance_, entry.serial)));
    entries_.clear();
    QFile::remove(pathOf(indexName(instance_)));
    if (lock_) {
        lock_->unlock();
        lock_.reset();
    }
}
