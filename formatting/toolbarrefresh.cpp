#include "components/runtimeerror.h"
#include "formatting/quiettoolbar.h"

void Form1::RichTextBox1_Click(qint16 index) {
    if (RichTextSurface* surface = RichTextBox1->at(index))
        RefreshToolbar(*surface);
}

void Form1::RefreshToolbar(RichTextSurface& surface) {
    {
        const QuietToolbar quiet(*this);
        // A selection that mixes sizes or fonts shows an empty box; one that
        // mixes an attribute shows it unchecked, and a mix of alignments
        // leaves the option group as it was.
        const std::optional<double> size = surface.selFontSize();
        Combo1->setEditText(size ? DecimalText(*size) : QString());
        Check1->setChecked(surface.selBold().value_or(false));
        Check2->setChecked(surface.selItalic().value_or(false));
        Check3->setChecked(surface.selUnderline().value_or(false));
        Check4->setChecked(surface.selBullet().value_or(false));
        const std::optional<qint16> alignment = surface.selAlignment();
        if (alignment == 0)
            Option1->setChecked(true);
        else if (alignment == 2)
            Option2->setChecked(true);
        else if (alignment == 1)
            Option3->setChecked(true);
        Combo2->setEditText(surface.selFontName().value_or(QString()));
    }
    // The size and font-name commands would have ended with the focus in the
    // text; while the loading flag is up they would not have run at all.
    if (!loadingFlag)
        focusCurrentSurface();
}

RichTextSurface* Form1::currentSurfaceOrNull() const {
    const int position = TabControl1->selectedPosition();
    return position < 0 ? nullptr : RichTextBox1->at(TabControl1->value(position));
}

void Form1::focusCurrentSurface() {
    if (RichTextSurface* surface = currentSurfaceOrNull())
        surface->setFocus();
}

void Form1::applyToSelection(const std::function<void(RichTextSurface&)>& apply) {
    RichTextSurface* surface = currentSurfaceOrNull();
    if (!surface)
        return;
    try {
        apply(*surface);
    } catch (const RuntimeError&) {
        // The toolbar's boxes have no error report: a value the surface
        // refuses (a size of 0, one beyond its largest) is simply not applied.
    }
    if (!typingInFontBox)
        surface->setFocus();
}
