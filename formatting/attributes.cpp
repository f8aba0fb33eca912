#include "app/form1.h"
#include "app/statementguard.h"

#include <QCheckBox>

namespace {

// Only a checked box counts as on; the program never sets the grey state.
bool isOn(const QCheckBox* box) {
    return box->checkState() == Qt::Checked;
}

} // namespace

void Form1::Check1_Click() {
    const bool on = isOn(Check1);
    applyToSelection([on](RichTextSurface& surface) { surface.setSelBold(on); });
}

void Form1::Check2_Click() {
    const bool on = isOn(Check2);
    applyToSelection([on](RichTextSurface& surface) { surface.setSelItalic(on); });
}

void Form1::Check3_Click() {
    const bool on = isOn(Check3);
    applyToSelection([on](RichTextSurface& surface) { surface.setSelUnderline(on); });
}

void Form1::Check4_Click() {
    const bool on = isOn(Check4);
    applyToSelection([on](RichTextSurface& surface) { surface.setSelBullet(on); });
}

// The surface's codes: 0 left, 1 right, 2 centred.
void Form1::Option1_Click() {
    applyToSelection([](RichTextSurface& surface) { surface.setSelAlignment(0); });
}

void Form1::Option2_Click() {
    applyToSelection([](RichTextSurface& surface) { surface.setSelAlignment(2); });
}

void Form1::Option3_Click() {
    applyToSelection([](RichTextSurface& surface) { surface.setSelAlignment(1); });
}

void Form1::stepIndent(const char* handler, qint32 twips) {
    StatementGuard guard(messages(), handler);
    // Each selected paragraph moves by the step from its own indent, so a
    // selection over paragraphs of different indents keeps their steps.
    guard(100, [&] { currentSurface().stepSelIndent(twips); });
    guard(102, [&] { currentSurface().setFocus(); });
}

// "Indent Left" moves the paragraphs to the right, away from the left margin.
void Form1::PushButton5_Click() {
    stepIndent("PushButton5_Click", 500);
}

void Form1::PushButton6_Click() {
    stepIndent("PushButton6_Click", -500);
}
