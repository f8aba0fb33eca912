#pragma once

#include <QWidget>

class QTabBar;

// The tab strip: a row of tabs over a page area in which the document
// surfaces lie (as children of this widget). Each item has a caption, shown
// unchanged and never elided, and one 16-bit value that reads 0 until written.
// Positions count from 0. Operations given a position outside the items
// throw RuntimeError.
class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

    // Inserts an item; a position at or beyond the count appends it. Returns
    // the new item's position. The first item inserted becomes the selected one.
    int insertItem(int position, const QString& caption);
    void removeItem(int position);
    // Leaves the strip empty without raising selectionChanged: no item is
    // selected afterwards.
    void removeAll();

    int count() const;
    int selectedPosition() const; // -1 when the strip is empty
    void select(int position);

    QString caption(int position) const;
    void setCaption(int position, const QString& caption);
    qint16 value(int position) const;
    void setValue(int position, qint16 value);

    // Height of the row of tabs; the page area starts below it.
    int barHeight() const;

signals:
    // Another item became the selected one (also when the first item is
    // inserted and when the selected item is removed).
    void selectionChanged(int position);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void checkPosition(int position) const;

    QTabBar* bar_;
};
