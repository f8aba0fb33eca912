#include "app/form1.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

QStringList localFiles(const QMimeData* mime) {
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

// Sees every drag over the window before the widget under the pointer does:
// the surfaces and the combo boxes' text fields accept drops themselves and
// would insert a dropped file's name. Drags that carry no local file (text
// dragged within a document) pass untouched.
class FileDropFilter : public QObject {
public:
    explicit FileDropFilter(Form1& form) : QObject(&form), form_(form) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != &form_)
            return false;
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList paths = localFiles(drop->mimeData());
        if (paths.isEmpty())
            return false;
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (type == QEvent::Drop) {
            // Opened after the drop has been answered: a report box shown
            // inside the drop would keep the dragging program waiting.
            QMetaObject::invokeMethod(
                &form_, [form = &form_, paths] { form->OpenFiles(paths); }, Qt::QueuedConnection);
        }
        return true;
    }

private:
    Form1& form_;
};

} // namespace

void Form1::setupFileDrops() {
    // Drags over controls that take no drops (the buttons) reach the window.
    setAcceptDrops(true);
    qApp->installEventFilter(new FileDropFilter(*this));
}
