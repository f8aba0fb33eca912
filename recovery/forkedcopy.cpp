#include "recovery/forkedcopy.h"

#include "components/rtf/documentfile.h"
#include "recovery/recoveryfiles.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace recovery {

namespace {

void writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        done += written;
    }
}

[[noreturn]] void runChild(const QTextDocument& document, const QString& folder,
                           const QString& path, int result, pid_t editor) {
    // Dies with the editor: a copy half written then is a temporary file,
    // and the copy before it stays whole.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != editor)
        ::_exit(1);
    QString error = makePrivateFolder(folder);
    if (error.isEmpty())
        error = writePrivateFile(path, rtf::saveBytes(document));
    writeAll(result, error.toUtf8());
    // No exit handlers, no destructors: they belong to the editor.
    ::_exit(0);
}

// The child has only the thread that forked it: a lock another thread held at
// that moment is never given back there. So whatever the writer sets up on
// first use (code page tables through iconv, the PNG writer for a pasted
// picture) is set up here, in the editor, before the first child needs it.
void prepareTheWriter() {
    static const bool prepared = [] {
        QTextDocument sample;
        QTextCursor cursor(&sample);
        cursor.insertText(QStringLiteral("\u00e9\u20ac\u4e2d"));
        QImage picture(1, 1, QImage::Format_ARGB32);
        picture.fill(Qt::white);
        sample.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("prepare")), picture);
        cursor.insertImage(QStringLiteral("prepare"));
        return !rtf::saveBytes(sample).isEmpty();
    }();
    Q_UNUSED(prepared);
}

} // namespace

ForkedCopy startForkedCopy(const QTextDocument& document, const QString& folder,
                           const QString& path) {
    prepareTheWriter();
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return {};
    const pid_t editor = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        runChild(document, folder, path, pipe[1], editor);
    }
    ::close(pipe[1]);
    if (child < 0) {
        ::close(pipe[0]);
        return {};
    }
    return {child, pipe[0]};
}

QString finishForkedCopy(const ForkedCopy& copy, int timeoutMs, const std::atomic<bool>& abandon,
                         bool* childFailed) {
    // Looked at this often while waiting.
    constexpr int kAbandonCheckMs = 50;
    QByteArray report;
    QElapsedTimer clock;
    clock.start();
    bool timedOut = false;
    for (;;) {
        pollfd readable{copy.result, POLLIN, 0};
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || abandon.load()) {
            timedOut = true;
            break;
        }
        const int ready = ::poll(&readable, 1, int(std::min<qint64>(left, kAbandonCheckMs)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            continue;
        if (ready < 0) {
            timedOut = true;
            break;
        }
        char buffer[512];
        const ssize_t got = ::read(copy.result, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break; // the child is done
        report.append(buffer, got);
    }
    ::close(copy.result);
    if (timedOut)
        ::kill(copy.pid, SIGKILL);
    int status = 0;
    while (::waitpid(copy.pid, &status, 0) < 0 && errno == EINTR) {
    }
    const bool abandoned = timedOut && abandon.load();
    if (childFailed)
        *childFailed = !abandoned && (timedOut || !WIFEXITED(status) || WEXITSTATUS(status) != 0);
    if (timedOut)
        return abandoned ? QStringLiteral("The recovery copy was abandoned")
                         : QStringLiteral("Writing the recovery copy took too long");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("Writing the recovery copy failed");
    return QString::fromUtf8(report);
}

} // namespace recovery
