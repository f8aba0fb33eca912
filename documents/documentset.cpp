#include "app/form1.h"

#include <QDir>

QString Form1::FileNameFromPath(const QString& path) {
    return path.mid(path.lastIndexOf(QDir::separator()) + 1);
}

void Form1::RichTextBox1_Change(qint16 index) {
    if (loadingFlag)
        return;
    RichTextSurface* surface = RichTextBox1->at(index);
    if (!surface)
        return;
    surface->setTag(QStringLiteral("1|") + PathFromTag(surface->tag()));

    const int selected = TabControl1->selectedPosition();
    if (selected < 0)
        return;
    const QString caption = TabControl1->caption(selected);
    if (!caption.contains(QLatin1Char('*')))
        TabControl1->setCaption(selected, caption + QLatin1Char('*'));
}

void Form1::TabControl1_SelectedChanged(int position) {
    if (loadingFlag || position < 0 || position >= TabControl1->count())
        return;
    for (int index = 0; index < documentCount; ++index) {
        if (RichTextSurface* surface = RichTextBox1->at(index))
            surface->setVisible(false);
    }
    RichTextSurface* shown = RichTextBox1->at(TabControl1->value(position));
    if (!shown)
        return;
    shown->setVisible(true);
    RefreshToolbar(*shown);
    shown->setFocus();
}
