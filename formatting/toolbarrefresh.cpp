#include "app/form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

void Form1::RichTextBox1_Click(qint16 index) {
    if (RichTextSurface* surface = RichTextBox1->at(index))
        RefreshToolbar(*surface);
}

void Form1::RefreshToolbar(RichTextSurface& surface) {
    // Each step sets its control as a user would, so the control's own command
    // runs before the next step. A selection that mixes sizes or fonts shows
    // an empty box.
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
