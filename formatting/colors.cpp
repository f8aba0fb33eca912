#include "app/form1.h"
#include "app/statementguard.h"
#include "components/runtimeerror.h"

namespace {

// Shows the colour dialog on the colour it would replace and applies the
// user's choice. Cancel applies nothing: the component's colour is only what
// the last dialog left (black before any), and putting it back would blacken
// a page or recolour text the user never meant to touch. OK on the colour the
// target already has applies nothing either, so neither marks the document
// changed.
void chooseColor(Form1& form, const char* handler,
                 const std::function<std::optional<OleColor>(const RichTextSurface&)>& current,
                 const std::function<void(RichTextSurface&, OleColor)>& apply) {
    StatementGuard guard(form.messages(), handler);
    CommonDialog& dialog = form.CommonDialog1;
    std::optional<OleColor> own;
    bool confirmed = false;
    guard(100, [&] {
        try {
            own = current(form.currentSurface());
        } catch (const RuntimeError&) {
            // Without a document the dialog still opens; statement 102 says
            // that there is nothing to colour.
        }
        // A selection of several colours has none to start from: the dialog
        // then opens on the colour last chosen.
        if (own)
            dialog.Color = *own;
        confirmed = dialog.ShowColor();
    });
    guard(102, [&] {
        if (confirmed && dialog.Color != own)
            apply(form.currentSurface(), dialog.Color);
    });
    guard(104, [&] { form.currentSurface().setFocus(); });
}

} // namespace

void Form1::PushButton9_Click() {
    chooseColor(
        *this, "PushButton9_Click",
        [](const RichTextSurface& surface) { return surface.selColor(); },
        [](RichTextSurface& surface, OleColor color) { surface.setSelColor(color); });
}

void Form1::PushButton10_Click() {
    chooseColor(
        *this, "PushButton10_Click",
        [](const RichTextSurface& surface) { return std::optional<OleColor>(surface.backColor()); },
        [](RichTextSurface& surface, OleColor color) { surface.setBackColor(color); });
}
