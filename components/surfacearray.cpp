#include "components/surfacearray.h"

#include "components/runtimeerror.h"

#include <QTextEdit>

SurfaceArray::SurfaceArray(QWidget* parent) : QObject(parent), parent_(parent) {
    add(0);
}

RichTextSurface* SurfaceArray::at(int index) const {
    return index >= 0 && index < count() ? surfaces_[size_t(index)].get() : nullptr;
}

RichTextSurface& SurfaceArray::operator[](int index) const {
    if (RichTextSurface* surface = at(index))
        return *surface;
    throw RuntimeError(QStringLiteral("Control array element '%1' doesn't exist").arg(index));
}

RichTextSurface& SurfaceArray::load(int index) {
    if (index != count())
        throw RuntimeError(
            index < count()
                ? QStringLiteral("Object already loaded")
                : QStringLiteral("Control array element '%1' doesn't exist").arg(index));
    RichTextSurface& surface = add(index);
    surface.setVisible(false);
    return surface;
}

RichTextSurface& SurfaceArray::add(int index) {
    auto surface = std::make_unique<RichTextSurface>(qint16(index), parent_);
    surface->widget()->setGeometry(geometry_);
    connect(surface.get(), &RichTextSurface::Change, this, &SurfaceArray::Change);
    connect(surface.get(), &RichTextSurface::Click, this, &SurfaceArray::Click);
    connect(surface.get(), &RichTextSurface::LinkActivated, this, &SurfaceArray::LinkActivated);
    surfaces_.push_back(std::move(surface));
    return *surfaces_.back();
}

void SurfaceArray::unloadAllButFirst() {
    surfaces_.resize(1);
}

void SurfaceArray::setGeometry(const QRect& rect) {
    geometry_ = rect;
    for (const auto& surface : surfaces_)
        surface->widget()->setGeometry(rect);
}
