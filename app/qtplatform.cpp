#include "app/platform.h"
#include "app/qtdialogs.h"
#include "recovery/recoveryfiles.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <memory>

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

// A question whose answers are only Yes and No has no way out but them:
// Escape and the title bar's close button would otherwise answer No, and a
// No to "Save Changes" throws the document's changes away.
class AnswerRequiredBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

class QtMessageBoxes : public MessageBoxes {
public:
    MsgResult show(const MessageRequest& request) override {
        static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                                  QMessageBox::Question, QMessageBox::Warning,
                                                  QMessageBox::Information};
        std::unique_ptr<QMessageBox> owned;
        if (request.buttons == MsgButtons::YesNo) {
            owned = std::make_unique<AnswerRequiredBox>(icons[int(request.icon)], request.title,
                                                        request.text, QMessageBox::NoButton,
                                                        QApplication::activeWindow());
            owned->setWindowFlag(Qt::WindowCloseButtonHint, false);
        } else {
            owned =
                std::make_unique<QMessageBox>(icons[int(request.icon)], request.title, request.text,
                                              QMessageBox::NoButton, QApplication::activeWindow());
        }
        QMessageBox& box = *owned;
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
        // Escape on a box with OK alone closes it like OK.
        return MsgResult::Ok;
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
    return Platform{qtDialogPresenter(),
                    std::make_unique<QtMessageBoxes>(),
                    std::make_unique<SystemFontSource>(),
                    QCoreApplication::applicationDirPath(),
                    [] {
                        // No more events, no unload of anything else: the
                        // process ends here, and the X server drops what it held.
                        std::fflush(nullptr);
                        std::_Exit(0);
                    },
                    [](const QUrl& url) { QDesktopServices::openUrl(url); },
                    recovery::defaultFolder()};
}
