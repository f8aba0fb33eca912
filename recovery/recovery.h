#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class QTextDocument;
namespace rtf {
class IncrementalWriter;
}

// Keeps a recovery copy of every document with unsaved changes, so that a
// crash, a kill or a lost session loses at most the last few seconds of work.
//
// A change costs only a counter and a clock reading: the copy is made once the
// user has paused (pauseMs after the last change) or, while they keep changing
// the document, capMs after the first change not yet copied. The document is
// turned into RTF on this thread, where it lives, a few milliseconds at a time
// between events (rtf::IncrementalWriter), and kept so: the next copy writes
// again only the paragraphs changed since. The copy is the document as it
// stands when its last piece is written. Its bytes go to disk on the writer
// thread, through the safe writer, into a private folder. The writer thread
// runs its jobs one after another, so a copy, the index that lists it and the
// removal of either happen in the order asked.
//
// Copies go only by the user's decision: sync() drops the copies of documents
// that are no longer changed or no longer open (Save, Close, Close All), and
// discardAll() every copy at a normal end. The destructor leaves them, as a
// crash would. Nothing here ever shows a box: a copy that cannot be written is
// tried again at the next pause, or after retryMs when none comes.
class Recovery : public QObject {
    Q_OBJECT
public:
    // A document as the window sees it when a copy is due: its surface's
    // index, the tab's caption without the changed mark, its path ("" when
    // never saved), and its content.
    struct Document {
        qint16 index;
        QString caption;
        QString path;
        const QTextDocument* content;
    };
    // The documents with unsaved changes, in tab order.
    using DocumentList = std::function<std::vector<Document>()>;

    struct Timing {
        int pauseMs = 2000;
        int capMs = 30000;
        int retryMs = 30000;
    };

    Recovery(QString folder, DocumentList unsaved, QObject* parent = nullptr);
    // Waits for the write in progress; the copies stay.
    ~Recovery() override;

    const QString& folder() const { return folder_; }
    // This running editor's name among the files of the folder.
    const QString& instance() const { return instance_; }
    void setTiming(const Timing& timing) { timing_ = timing; }

    // A surface's content changed (typing, a format, a programmatic edit).
    void documentChanged(qint16 index);
    // The documents' saved state or the tabs changed: copies of documents no
    // longer changed or no longer open go now, with their entries in the index.
    void sync();
    // Makes the copies that are due now, whatever the timers say.
    void flush();
    // A document restored from another instance's copy: these bytes are its
    // RTF as it stands, written as its copy here without turning it into RTF
    // again.
    void adopt(qint16 index, const QByteArray& rtf);
    // The program ends by the user's decision: every copy, the index and the
    // lock go. Waits for the writer first.
    void discardAll();
    // Returns once every job handed to the writer so far is done.
    void waitForWrites();

    // The longest this thread spent writing copies at a time, in
    // milliseconds, since the last reset.
    double longestSliceMs() const { return longestSliceMs_; }
    void resetLongestSlice() { longestSliceMs_ = 0; }
    // The last write's error; empty when it succeeded.
    const QString& lastError() const { return lastError_; }

signals:
    // A copy or the index was written (error empty) or failed to be.
    void written(const QString& error);

private:
    struct Entry {
        quint64 generation = 0; // tells a finished write whether its entry still stands
        int serial = 0;         // names the copy file; 0 until a copy is due
        quint64 revision = 0;   // raised by each change
        quint64 copied = 0;     // the revision the copy on disk holds
        bool onDisk = false;    // a copy was written (and is listed in the index)
        bool due = false;       // a copy is being written, piece by piece
        bool writing = false;   // its bytes are going to disk
        std::shared_ptr<rtf::IncrementalWriter> copier; // the document's pieces
        QString caption, path;
        QDateTime time;
        int order = 0; // tab position at the last copy
    };

    void timerFired();
    // After a failed write: again in retryMs, unless a pause comes first.
    void armRetry();
    // Drops the entries of documents that are not in `unsaved`.
    void dropOthers(const std::vector<Document>& unsaved);
    // Writes pieces of the copies due until a few milliseconds have passed,
    // and comes back after the events that arrived meanwhile.
    void slice();
    // The entry's pieces are all written: its file goes to disk.
    void startCopy(qint16 index, Entry& entry);
    void copyFinished(qint16 index, quint64 generation, quint64 revision, const QString& error);
    void writeIndex();
    bool ensureLocked();
    // Runs the job on the writer thread after every job posted before it.
    void post(std::function<void()> job);
    QString pathOf(const QString& name) const { return folder_ + QLatin1Char('/') + name; }

    QString folder_;
    QString instance_;
    DocumentList unsaved_;
    Timing timing_;
    QHash<qint16, Entry> entries_;
    quint64 generations_ = 0;
    int serials_ = 0;
    // The time of the last change and of the first change no copy holds yet.
    QElapsedTimer lastChange_, firstPending_;
    bool pending_ = false;
    bool waitingForPause_ = false;
    bool indexStale_ = false;
    QTimer timer_;
    QTimer slicer_;
    std::unique_ptr<QLockFile> lock_;
    QThread thread_;
    QObject* writer_ = nullptr; // lives on thread_
    double longestSliceMs_ = 0;
    QString lastError_;
};
