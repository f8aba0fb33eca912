#include "app/platform.h"
#include "app/qtdialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace {

QMessageBox::StandardButton standardButton(MsgResult result) {
    switch (result) {
    case MsgResult::Ok:
        return QMessageBox::Ok;
    case MsgResult::Cancel:
        return QMessageBox::Cancel;
    case MsgResult::Yes:
        return QMessageBox::Yes;
    case MsgResult::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

class QtMessageBoxes : public MessageBoxes {
public:
    MsgResult show(const MessageRequest& request) override {
        static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                                  QMessageBox::Question, QMessageBox::Warning,
                                                  QMessageBox::Information};
        QMessageBox box(icons[int(request.icon)], request.title, request.text,
                        QMessageBox::NoButton, QApplication::activeWindow());
        switch (request.buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        box.setDefaultButton(standardButton(request.defaultButton));
        switch (box.exec()) {
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        case QMessageBox::Cancel:
            return MsgResult::Cancel;
        default:
            break;
        }
        // Escape on a box without Cancel closes it like its only or default answer.
        return request.buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
    }

    QString input(const InputRequest& request) override {
        bool ok = false;
        const QString text =
            QInputDialog::getText(QApplication::activeWindow(), request.title, request.prompt,
                                  QLineEdit::Normal, request.defaultText, &ok);
        return ok ? text : QString();
    }
};

class SystemFontSource : public FontSource {
public:
    QStringList families() override { return QFontDatabase::families(); }
};

} // namespace

Platform qtPlatform() {
    return Platform{qtDialogPresenter(), std::make_unique<QtMessageBoxes>(),
                    std::make_unique<SystemFontSource>(), QCoreApplication::applicationDirPath(),
                    [] {
                        // No more events, no unload of anything else: the
                        // process ends here, and the X server drops what it held.
                        std::fflush(nullptr);
                        std::_Exit(0);
                    }};
}
