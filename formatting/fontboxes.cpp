#include "formatting/quiettoolbar.h"

#include <QLocale>
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

void Form1::Combo1_Change() {
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
    Combo2_Click();
}

void Form1::Combo2_Click() {
    if (loadingFlag)
        return;
    const QString name = Combo2->currentText();
    applyToSelection([&](RichTextSurface& surface) { surface.setSelFontName(name); });
}
