#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

// Real failures of the C library's file calls inside this process, through
// libfiu's POSIX wrappers (the test runs under `fiu-run -x`). A failure hits
// only calls made on the thread that armed it, so Qt's own threads carry on.
class InjectedFault {
public:
    // Fails the point (e.g. "posix/io/rw/write") with errno `error`, after
    // letting `pass` calls through; `times` calls fail (-1: every one).
    InjectedFault(const char* point, int error, int pass = 0, int times = -1);
    ~InjectedFault();
    InjectedFault(const InjectedFault&) = delete;
    InjectedFault& operator=(const InjectedFault&) = delete;

    int failures() const; // how many calls failed so far

    // True when libfiu's wrappers are loaded, i.e. faults can be injected.
    static bool available();

private:
    QByteArray point_;
};

// The names of the entries of a folder, hidden ones included.
QStringList folderEntries(const QString& folder);
QByteArray fileBytes(const QString& path);
void putFileBytes(const QString& path, const QByteArray& bytes);

// Readable failures in GoogleTest's messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
