#include "formatting/quiettoolbar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QScopedValueRollback>
#include <cmath>
#include <limits>

namespace {

// An optionally signed decimal number, as the user's locale or plain C
// writes it, with blanks around it allowed.
std::optional<double> numberFrom(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

namespace {

// Return, Enter and Tab in a font box end the typing there: the keyboard goes
// back to the document, whose selection got the value while it was typed.
class FontBoxKeys : public QObject {
public:
    FontBoxKeys(Form1& form, QObject* parent) : QObject(parent), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab ||
                key == Qt::Key_Backtab) {
                form_.focusCurrentSurface();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Form1& form_;
};

bool hasKeyboard(const QComboBox* box) {
    return box->hasFocus() || box->isAncestorOf(QApplication::focusWidget());
}

} // namespace

void Form1::watchFontBoxKeys() {
    for (QComboBox* box : {Combo1, Combo2})
        box->lineEdit()->installEventFilter(new FontBoxKeys(*this, box));
}

// A change typed into a box is applied at once, but the keys that follow
// must go on into the box, not into the document: the command leaves the
// focus where it is (a change made by the program moves it as before).
void Form1::Combo1_Change() {
    const QScopedValueRollback typing(typingInFontBox, hasKeyboard(Combo1));
    Combo1_Click();
}

void Form1::Combo1_Click() {
    if (loadingFlag)
        return;
    const std::optional<double> size = numberFrom(Combo1->currentText());
    if (!size) {
        // Not a number: the box falls back to the base font's size and the
        // command runs again with it, as the box's own change would run it.
        const RichTextSurface* surface = currentSurfaceOrNull();
        const QFont base = surface ? surface->font() : RichTextSurface::designFont();
        {
            const QSignalBlocker quiet(Combo1);
            Combo1->setEditText(DecimalText(base.pointSizeF()));
        }
        Combo1_Click();
        return;
    }
    if (TabControl1->selectedPosition() < 0)
        return;
    // A whole number of points, halves going to the even neighbour.
    const double points = std::nearbyint(*size);
    applyToSelection([&](RichTextSurface& surface) {
        if (points >= std::numeric_limits<qint16>::min() &&
            points <= std::numeric_limits<qint16>::max())
            surface.setSelFontSize(qint16(points));
    });
}

void Form1::Combo2_Change() {
    const QScopedValueRollback typing(typingInFontBox, hasKeyboard(Combo2));
    Combo2_Click();
}

void Form1::Combo2_Click() {
    if (loadingFlag)
        return;
    const QString name = Combo2->currentText();
    applyToSelection([&](RichTextSurface& surface) { surface.setSelFontName(name); });
}
