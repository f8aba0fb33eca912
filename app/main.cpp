#include "app/form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(Form1::kProductName));
    Form1 form(qtPlatform());
    form.Form_Load();
    form.show();
    return QApplication::exec();
}
