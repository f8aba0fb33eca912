#include "app/form1.h"

#include <QApplication>
#include <QIcon>
#include <QUrl>
#include <csignal>

namespace {

// The files named after the program's own options: a desktop launcher passes
// paths (Exec=ferrotab %F), a few file managers pass file:// URLs instead.
QStringList filesFromArguments(const QStringList& arguments) {
    QStringList files;
    bool optionsEnded = false;
    for (const QString& argument : arguments.mid(1)) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const QUrl url(argument);
        files << (url.isLocalFile() ? url.toLocalFile() : argument);
    }
    return files;
}

} // namespace

int main(int argc, char* argv[]) {
    // Over a file-size limit a save must fail with "File too large" and be
    // reported, not end the program with every unsaved document.
    std::signal(SIGXFSZ, SIG_IGN);
    // QApplication takes its own options (-display, -style ...) out of argv.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(Form1::kProductName));
    // Lets docks and task bars tie the window to the installed menu entry and
    // its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.ferrotab.Ferrotab"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("ferrotab")));
    Form1 form(qtPlatform());
    form.Form_Load();
    form.show();
    form.RestoreDocuments();
    form.OpenFiles(filesFromArguments(QCoreApplication::arguments()));
    return QApplication::exec();
}
