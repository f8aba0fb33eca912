#include "components/tabstrip.h"

#include "components/runtimeerror.h"

#include <QSignalBlocker>
#include <QTabBar>

TabStrip::TabStrip(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
    bar_->setElideMode(Qt::ElideNone);
    bar_->setExpanding(false);
    bar_->setUsesScrollButtons(true);
    bar_->setDrawBase(true);
    bar_->setFocusPolicy(Qt::NoFocus); // the keyboard belongs to the document
    connect(bar_, &QTabBar::currentChanged, this, [this](int position) {
        if (position >= 0)
            emit selectionChanged(position);
    });
}

int TabStrip::insertItem(int position, const QString& caption) {
    return bar_->insertTab(qBound(0, position, bar_->count()), caption);
}

void TabStrip::removeItem(int position) {
    checkPosition(position);
    bar_->removeTab(position);
}

void TabStrip::removeAll() {
    const QSignalBlocker blocker(bar_);
    for (int i = bar_->count() - 1; i >= 0; --i)
        bar_->removeTab(i);
}

int TabStrip::count() const { return bar_->count(); }

int TabStrip::selectedPosition() const { return bar_->currentIndex(); }

void TabStrip::select(int position) {
    checkPosition(position);
    bar_->setCurrentIndex(position);
}

QString TabStrip::caption(int position) const {
    checkPosition(position);
    return bar_->tabText(position);
}

void TabStrip::setCaption(int position, const QString& caption) {
    checkPosition(position);
    bar_->setTabText(position, caption);
}

qint16 TabStrip::value(int position) const {
    checkPosition(position);
    const QVariant data = bar_->tabData(position);
    return data.isValid() ? data.value<qint16>() : qint16(0);
}

void TabStrip::setValue(int position, qint16 value) {
    checkPosition(position);
    bar_->setTabData(position, QVariant::fromValue(value));
}

int TabStrip::barHeight() const { return bar_->sizeHint().height(); }

void TabStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    bar_->setGeometry(0, 0, width(), barHeight());
}

void TabStrip::checkPosition(int position) const {
    if (position < 0 || position >= bar_->count())
        throw RuntimeError(QStringLiteral("Index out of bounds"));
}
