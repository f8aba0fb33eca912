#include "app/form1.h"
#include "app/statementguard.h"
#include "formatting/quiettoolbar.h"

#include <QCheckBox>
#include <QComboBox>

namespace {

// The dialog's size is single precision; its text is the shortest one that
// reads back as the same single.
std::optional<double> singleSize(const std::optional<double>& points) {
    if (!points)
        return std::nullopt;
    return double(float(*points));
}
QString singleText(double points) {
    return QString::number(double(float(points)), 'g', 7);
}

// A value the dialog hands back is applied only when it differs from what the
// dialog was given: an untouched value (a mixed size, the underline the dialog
// offers no choice for) leaves every run of the selection as it was, and
// confirming an unchanged dialog changes nothing and marks nothing.
template <typename T>
std::optional<T> changed(const std::optional<T>& chosen, const std::optional<T>& preset) {
    if (chosen && chosen != preset)
        return chosen;
    return std::nullopt;
}

// A box mirrors the dialog's value; a value the selection still mixes shows
// as the toolbar refresh shows it, unchecked.
void mirror(QCheckBox* box, const std::optional<bool>& value) {
    box->setChecked(value.value_or(false));
}

} // namespace

void Form1::PushButton4_Click() {
    StatementGuard guard(messages(), "PushButton4_Click");
    CommonDialog& dialog = CommonDialog1;
    // A value the selection does not have in common presets nothing: the
    // dialog must not offer, and hand back, what it held from its last use.
    // Each property is cleared first, so a statement that fails presets
    // nothing either.
    guard(100, [&] { dialog.Flags = 3; });
    guard(102, [&] {
        dialog.FontName.reset();
        dialog.FontName = currentSurface().selFontName();
    });
    guard(104, [&] {
        dialog.FontSize.reset();
        dialog.FontSize = singleSize(currentSurface().selFontSize());
    });
    guard(106, [&] {
        dialog.FontBold.reset();
        dialog.FontBold = currentSurface().selBold();
    });
    guard(108, [&] {
        dialog.FontItalic.reset();
        dialog.FontItalic = currentSurface().selItalic();
    });
    guard(110, [&] {
        dialog.FontUnderline.reset();
        dialog.FontUnderline = currentSurface().selUnderline();
    });
    const FontChoice preset{dialog.FontName, dialog.FontSize, dialog.FontBold, dialog.FontItalic,
                            dialog.FontUnderline};
    bool confirmed = false;
    guard(112, [&] { confirmed = dialog.ShowFont(); });
    // A cancelled dialog applies nothing at all: even putting a run's own
    // values back would mark the document changed.
    guard(114, [&] {
        if (const auto name = changed(dialog.FontName, preset.name); confirmed && name)
            currentSurface().setSelFontName(*name);
    });
    guard(116, [&] {
        if (const auto size = changed(dialog.FontSize, preset.size); confirmed && size)
            currentSurface().setSelFontSize(*singleSize(size));
    });
    guard(118, [&] {
        if (const auto bold = changed(dialog.FontBold, preset.bold); confirmed && bold)
            currentSurface().setSelBold(*bold);
    });
    guard(120, [&] {
        if (const auto italic = changed(dialog.FontItalic, preset.italic); confirmed && italic)
            currentSurface().setSelItalic(*italic);
    });
    guard(122, [&] {
        if (const auto underline = changed(dialog.FontUnderline, preset.underline);
            confirmed && underline)
            currentSurface().setSelUnderline(*underline);
    });
    guard(124, [&] { currentSurface().setFocus(); });
    // The toolbar mirrors what the selection now has; its commands stay
    // still, so a 10.5-pt choice stays 10.5 pt and a mixed value stays mixed.
    guard(126, [&] {
        const QuietToolbar quiet(*this);
        Combo1->setEditText(dialog.FontSize ? singleText(*dialog.FontSize) : QString());
    });
    guard(128, [&] {
        const QuietToolbar quiet(*this);
        Combo2->setEditText(dialog.FontName.value_or(QString()));
    });
    guard(130, [&] {
        const QuietToolbar quiet(*this);
        mirror(Check1, dialog.FontBold);
    });
    guard(132, [&] {
        const QuietToolbar quiet(*this);
        mirror(Check2, dialog.FontItalic);
    });
    guard(134, [&] {
        const QuietToolbar quiet(*this);
        mirror(Check3, dialog.FontUnderline);
    });
    if (!loadingFlag)
        focusCurrentSurface();
}
