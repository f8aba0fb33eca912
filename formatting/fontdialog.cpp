#include "app/statementguard.h"
#include "components/runtimeerror.h"
#include "formatting/quiettoolbar.h"

namespace {

// A selection value that the selection mixes cannot preset the dialog.
template <typename T> T single(const std::optional<T>& value) {
    if (!value)
        throw RuntimeError(QStringLiteral("Invalid use of Null"));
    return *value;
}

// The dialog's size is single precision; its text is the shortest one that
// reads back as the same single.
float singleSize(double points) {
    return float(points);
}
QString singleText(float points) {
    return QString::number(double(points), 'g', 7);
}

} // namespace

void Form1::PushButton4_Click() {
    StatementGuard guard(messages(),
                         QStringLiteral("in Ferrotab2017/04/05.Form1.PushButton4_Click "));
    CommonDialog& dialog = CommonDialog1;
    guard(100, [&] { dialog.Flags = 3; });
    guard(102, [&] { dialog.FontName = single(currentSurface().selFontName()); });
    guard(104, [&] { dialog.FontSize = singleSize(single(currentSurface().selFontSize())); });
    guard(106, [&] { dialog.FontBold = single(currentSurface().selBold()); });
    guard(108, [&] { dialog.FontItalic = single(currentSurface().selItalic()); });
    guard(110, [&] { dialog.FontUnderline = single(currentSurface().selUnderline()); });
    guard(112, [&] { dialog.ShowFont(); });
    guard(114, [&] { currentSurface().setSelFontName(dialog.FontName); });
    guard(116, [&] { currentSurface().setSelFontSize(singleSize(dialog.FontSize)); });
    guard(118, [&] { currentSurface().setSelBold(dialog.FontBold); });
    guard(120, [&] { currentSurface().setSelItalic(dialog.FontItalic); });
    guard(122, [&] { currentSurface().setSelUnderline(dialog.FontUnderline); });
    guard(124, [&] { currentSurface().setFocus(); });
    // The toolbar mirrors what was just applied; its commands stay still, so
    // a 10.5-pt choice stays 10.5 pt.
    guard(126, [&] {
        const QuietToolbar quiet(*this);
        Combo1->setEditText(singleText(singleSize(dialog.FontSize)));
    });
    guard(128, [&] {
        const QuietToolbar quiet(*this);
        Combo2->setEditText(dialog.FontName);
    });
    guard(130, [&] {
        const QuietToolbar quiet(*this);
        Check1->setChecked(dialog.FontBold);
    });
    guard(132, [&] {
        const QuietToolbar quiet(*this);
        Check2->setChecked(dialog.FontItalic);
    });
    guard(134, [&] {
        const QuietToolbar quiet(*this);
        Check3->setChecked(dialog.FontUnderline);
    });
    if (!loadingFlag)
        focusCurrentSurface();
}
