#include "components/tabstrip.h"

#include "components/runtimeerror.h"

#include <QEvent>
#include <QHash>
#include <QSignalBlocker>
#include <QStyleOptionTab>
#include <QTabBar>

namespace {

// QTabBar lays out every tab again on each insertion, asking each for its size;
// measuring a caption costs a text layout. The sizes are remembered per
// caption so that adding a tab to many stays cheap. A new font or style
// forgets them.
class CachedTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override {
        const QString text = tabText(index);
        auto it = sizes_.constFind(text);
        if (it == sizes_.cend()) {
            // Captions of closed tabs and old change marks are not asked for
            // again: the cache stays in proportion to the tabs there are.
            if (sizes_.size() > 4 * count() + 64)
                sizes_.clear();
            it = sizes_.insert(text, QTabBar::tabSizeHint(index));
        }
        return *it;
    }
    // Painting prepares every tab, off-screen ones too, and preparing one lays
    // out its caption; a tab outside the view only needs its place.
    void paintEvent(QPaintEvent* event) override {
        painting_ = true;
        QTabBar::paintEvent(event);
        painting_ = false;
    }
    void initStyleOption(QStyleOptionTab* option, int index) const override {
        const QRect place = tabRect(index);
        if (painting_ && !place.intersects(rect())) {
            option->initFrom(this);
            option->rect = place;
            return;
        }
        QTabBar::initStyleOption(option, index);
    }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            sizes_.clear();
        QTabBar::changeEvent(event);
    }

private:
    mutable QHash<QString, QSize> sizes_;
    bool painting_ = false;
};

// QTabBar reads "&" as the mark of a keyboard mnemonic: "R&D.rtf" would show
// as "RD.rtf" and Alt+D would switch tabs. A caption is shown as it is.
QString shown(QString caption) {
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
QString unshown(QString text) {
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

} // namespace

TabStrip::TabStrip(QWidget* parent) : QWidget(parent), bar_(new CachedTabBar(this)) {
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
    return bar_->insertTab(qBound(0, position, bar_->count()), shown(caption));
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

int TabStrip::count() const {
    return bar_->count();
}

int TabStrip::selectedPosition() const {
    return bar_->currentIndex();
}

void TabStrip::select(int position) {
    checkPosition(position);
    bar_->setCurrentIndex(position);
}

QString TabStrip::caption(int position) const {
    checkPosition(position);
    return unshown(bar_->tabText(position));
}

void TabStrip::setCaption(int position, const QString& caption) {
    checkPosition(position);
    bar_->setTabText(position, shown(caption));
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

int TabStrip::barHeight() const {
    return bar_->sizeHint().height();
}

void TabStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    bar_->setGeometry(0, 0, width(), barHeight());
}

void TabStrip::checkPosition(int position) const {
    if (position < 0 || position >= bar_->count())
        throw RuntimeError(QStringLiteral("Index out of bounds"));
}
