#pragma once

#include "components/richtextsurface.h"

#include <QObject>
#include <QRect>
#include <memory>
#include <vector>

// The control array of editing surfaces, indexed by document index. Element 0
// is part of the window's design; every further element is created with the
// next free index, takes element 0's position, size and base font, and starts
// hidden. The array forwards every element's Change and Click with its index.
class SurfaceArray : public QObject {
    Q_OBJECT
public:
    explicit SurfaceArray(QWidget* parent);

    int count() const { return int(surfaces_.size()); }
    // Throws RuntimeError when no element has that index.
    RichTextSurface& operator[](int index) const;
    RichTextSurface* at(int index) const;

    // Creates the element with the given index, which must be the next free one.
    RichTextSurface& load(int index);
    // Destroys every element but element 0.
    void unloadAllButFirst();
    // Gives every element the geometry of the page area (they lie stacked).
    void setGeometry(const QRect& rect);

signals:
    void Change(qint16 index);
    void Click(qint16 index);
    void LinkActivated(const QUrl& url);

private:
    RichTextSurface& add(int index);

    QWidget* parent_;
    QRect geometry_;
    std::vector<std::unique_ptr<RichTextSurface>> surfaces_;
};
