#pragma once

#include "components/dialogpresenter.h"

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;

// The font dialog: family, style (regular, italic, bold, bold italic) and a
// size with halves, and a sample; no effects part. Qt's own font dialog does
// not serve: it lists only what fontconfig has, so Arial (which fontconfig
// draws with a substitute) came up as "Sans Serif" and OK renamed the font;
// it keeps whole points only, so 10.5 came back as 11 and a typed "10.5" as
// 105; and it always offers underline and strikeout.
//
// It shows what it is given: the family (added to the list when fontconfig
// has only a substitute for it), the style, the size. A value given without
// a value (a selection that mixes it) shows nothing selected. choice() hands
// back exactly the given value for everything the user left alone, the
// underline always, so that OK without a change changes nothing.
class FontChooser : public QDialog {
    Q_OBJECT
public:
    explicit FontChooser(const FontChoice& initial, QWidget* parent = nullptr);

    FontChoice choice() const;

    // The sizes the size box accepts, in points, rounded to the nearest half
    // (what a document keeps); the locale's decimal point and the C one are
    // both read. No value for text that is not such a size.
    static std::optional<double> parseSize(const QString& text);
    // The text the size box shows for a size: 10.5, 9.
    static QString sizeText(double points);

private:
    enum Style { Regular, Italic, Bold, BoldItalic };

    void fillFamilies();
    void sizeEdited();
    void refresh();
    std::optional<QString> chosenFamily() const;
    std::optional<double> chosenSize() const;
    // True while the size box holds text that is no size, which OK must not take.
    bool sizeInvalid() const;

    FontChoice initial_;
    int initialStyle_ = -1;
    QString initialSizeText_;
    QListWidget* family_;
    QListWidget* style_;
    QLineEdit* size_;
    QListWidget* sizes_;
    QLabel* sample_;
    QDialogButtonBox* buttons_;
};
