#include "app/form1.h"

#include <QDir>

QString Form1::FileNameFromPath(const QString& path) {
    return path.mid(path.lastIndexOf(QDir::separator()) + 1);
}

QString Form1::PathFromTag(const QString& tag) {
    // Everything after the first "|": a path may hold "|" itself.
    const qsizetype bar = tag.indexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : tag.mid(bar + 1);
}

QString Form1::DocumentTag(bool changed, const QString& path) {
    return (changed ? QStringLiteral("1|") : QStringLiteral("0|")) + path;
}

bool Form1::HasChangedMark(const QString& caption) {
    return caption.contains(QLatin1Char('*'));
}

QString Form1::WithChangedMark(const QString& caption) {
    return HasChangedMark(caption) ? caption : caption + QLatin1Char('*');
}

QString Form1::WithoutChangedMark(QString caption) {
    return caption.remove(QLatin1Char('*'));
}

void Form1::RichTextBox1_Change(qint16 index) {
    if (loadingFlag)
        return;
    RichTextSurface* surface = RichTextBox1->at(index);
    if (!surface)
        return;
    surface->setTag(DocumentTag(true, PathFromTag(surface->tag())));

    const int selected = TabControl1->selectedPosition();
    if (selected < 0)
        return;
    const QString caption = TabControl1->caption(selected);
    if (!HasChangedMark(caption))
        TabControl1->setCaption(selected, WithChangedMark(caption));
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
