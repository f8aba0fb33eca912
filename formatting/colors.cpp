#include "app/form1.h"
#include "app/statementguard.h"

void Form1::applyColor(const QString& location,
                       const std::function<void(RichTextSurface&, OleColor)>& apply) {
    StatementGuard guard(messages(), location);
    // The dialog opens with what the component holds from its last use, and
    // a cancelled dialog leaves Color as it was: the colour last chosen is
    // applied again.
    guard(100, [&] { CommonDialog1.ShowColor(); });
    guard(102, [&] { apply(currentSurface(), CommonDialog1.Color); });
    guard(104, [&] { currentSurface().setFocus(); });
}

void Form1::PushButton9_Click() {
    applyColor(QStringLiteral("in Ferrotab2017/04/05.Form1.PushButton9_Click "),
               [](RichTextSurface& surface, OleColor color) { surface.setSelColor(color); });
}

void Form1::PushButton10_Click() {
    applyColor(QStringLiteral("in Ferrotab2017/04/05.Form1.PushButton10_Click "),
               [](RichTextSurface& surface, OleColor color) { surface.setBackColor(color); });
}
