#include "app/fontchooser.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

// A document keeps sizes in half points up to 32767 of them; below one point
// text is no longer text anyone can read or select.
constexpr double kSmallestSize = 1;
constexpr double kLargestSize = 1638;
constexpr int kListedSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
// The sample follows the size only so far: a 400-pt sample would push the
// lists out of the dialog.
constexpr double kLargestSampleSize = 36;

// Selects the one item with exactly this text, if there is one.
void selectText(QListWidget* list, const QString& text) {
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text() == text) {
            list->setCurrentRow(row);
            list->scrollToItem(list->item(row), QAbstractItemView::PositionAtCenter);
            return;
        }
    }
    list->clearSelection();
}

// The row the user has selected; the current row alone is not a choice (a
// list takes one as soon as it gets the focus).
int selectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.constFirst());
}

} // namespace

FontChooser::FontChooser(const FontChoice& initial, QWidget* parent)
    : QDialog(parent), initial_(initial) {
    setWindowTitle(tr("Select Font"));
    setModal(true);

    family_ = new QListWidget(this);
    family_->setObjectName(QStringLiteral("family"));
    family_->setUniformItemSizes(true);
    style_ = new QListWidget(this);
    style_->setObjectName(QStringLiteral("style"));
    size_ = new QLineEdit(this);
    size_->setObjectName(QStringLiteral("size"));
    sizes_ = new QListWidget(this);
    sizes_->setObjectName(QStringLiteral("sizes"));
    sample_ = new QLabel(tr("AaBbYyZz"), this);
    sample_->setObjectName(QStringLiteral("sample"));
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setFixedHeight(72);
    sample_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    // The same access keys as Qt's font dialog, which users (and our
    // walk-through) already know.
    const auto label = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    auto* grid = new QGridLayout;
    grid->addWidget(label(tr("&Font"), family_), 0, 0);
    grid->addWidget(label(tr("Font st&yle"), style_), 0, 1);
    grid->addWidget(label(tr("&Size"), size_), 0, 2);
    grid->addWidget(family_, 1, 0, 2, 1);
    grid->addWidget(style_, 1, 1, 2, 1);
    grid->addWidget(size_, 1, 2);
    grid->addWidget(sizes_, 2, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);

    auto* sampleBox = new QGroupBox(tr("Sample"), this);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(sample_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(sampleBox);
    layout->addWidget(buttons_);

    fillFamilies();

    style_->addItems({tr("Regular"), tr("Italic"), tr("Bold"), tr("Bold Italic")});
    // A style stands for bold and italic together: a selection that mixes
    // either shows none.
    if (initial_.bold && initial_.italic) {
        initialStyle_ = (*initial_.bold ? Bold : Regular) + (*initial_.italic ? Italic : Regular);
        style_->setCurrentRow(initialStyle_);
    }

    for (const int points : kListedSizes)
        sizes_->addItem(QString::number(points));
    initialSizeText_ = initial_.size ? sizeText(*initial_.size) : QString();
    size_->setText(initialSizeText_);
    sizeEdited();

    connect(size_, &QLineEdit::textEdited, this, [this] { sizeEdited(); });
    connect(sizes_, &QListWidget::itemSelectionChanged, this, [this] {
        if (const QListWidgetItem* item = sizes_->currentItem(); item && item->isSelected()) {
            size_->setText(item->text());
            refresh();
        }
    });
    connect(family_, &QListWidget::itemSelectionChanged, this, [this] { refresh(); });
    connect(style_, &QListWidget::itemSelectionChanged, this, [this] { refresh(); });
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    refresh();
    family_->setFocus();
}

void FontChooser::fillFamilies() {
    // A family that several foundries make comes as "C059 [urw]": a document
    // names the family only, so the list does too, once.
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    QStringList families;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family))
            families.append(QString(family).remove(foundry));
    }
    families.removeDuplicates();
    // fontconfig lists what it has, not the names it stands in for: Arial is
    // drawn with Liberation Sans but is not in the list. The document's own
    // name goes in, so that the dialog shows it and hands it back unchanged.
    if (initial_.name && !initial_.name->isEmpty() && !families.contains(*initial_.name))
        families.append(*initial_.name);
    std::sort(families.begin(), families.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    family_->addItems(families);
    if (initial_.name)
        selectText(family_, *initial_.name);
}

std::optional<double> FontChooser::parseSize(const QString& text) {
    const QString trimmed = text.trimmed();
    for (QLocale locale : {QLocale(), QLocale::c()}) {
        // "10,5" must not be read as 105 where the comma groups thousands.
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        bool ok = false;
        const double points = locale.toDouble(trimmed, &ok);
        if (!ok)
            continue;
        if (!std::isfinite(points))
            return std::nullopt;
        const double halves = std::round(points * 2) / 2;
        if (halves < kSmallestSize || halves > kLargestSize)
            return std::nullopt;
        return halves;
    }
    return std::nullopt;
}

QString FontChooser::sizeText(double points) {
    // Seven digits: the size comes in single precision, and 10.3 must not
    // show as 10.300000190734863.
    return QString::number(points, 'g', 7);
}

void FontChooser::sizeEdited() {
    // The list follows the box, without its selection typing back into it.
    const QSignalBlocker blocker(sizes_);
    const std::optional<double> points = parseSize(size_->text());
    const int whole = points && *points == std::floor(*points) ? int(*points) : 0;
    selectText(sizes_, whole > 0 ? QString::number(whole) : QString());
    refresh();
}

std::optional<QString> FontChooser::chosenFamily() const {
    const int row = selectedRow(family_);
    return row < 0 ? initial_.name : family_->item(row)->text();
}

std::optional<double> FontChooser::chosenSize() const {
    // The size box untouched, or emptied, is no choice: the size stays what it
    // was, exactly, and a mixed size stays mixed.
    const QString text = size_->text();
    if (text == initialSizeText_ || text.trimmed().isEmpty())
        return initial_.size;
    const std::optional<double> points = parseSize(text);
    return points ? points : initial_.size;
}

bool FontChooser::sizeInvalid() const {
    const QString text = size_->text();
    return text != initialSizeText_ && !text.trimmed().isEmpty() && !parseSize(text);
}

FontChoice FontChooser::choice() const {
    FontChoice chosen = initial_;
    chosen.name = chosenFamily();
    chosen.size = chosenSize();
    if (const int row = selectedRow(style_); row >= 0 && row != initialStyle_) {
        chosen.bold = (row & Bold) != 0;
        chosen.italic = (row & Italic) != 0;
    }
    return chosen;
}

void FontChooser::refresh() {
    const FontChoice chosen = choice();
    QFont font = this->font();
    if (chosen.name && !chosen.name->isEmpty())
        font.setFamilies({*chosen.name});
    if (chosen.size)
        font.setPointSizeF(std::min(*chosen.size, kLargestSampleSize));
    font.setBold(chosen.bold.value_or(false));
    font.setItalic(chosen.italic.value_or(false));
    font.setUnderline(chosen.underline.value_or(false));
    sample_->setFont(font);
    // Text in the size box that is no size is not taken as "unchanged": OK
    // waits until it is one, or the box is emptied.
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(!sizeInvalid());
}
