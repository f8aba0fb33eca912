#pragma once

#include "components/olecolor.h"

#include <QPushButton>

// A toolbar push button whose caption colour is a stored value: what the
// program writes into foreColor reads back unchanged (the Find Next button
// keeps the search state in it).
class PushButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

    OleColor foreColor() const { return foreColor_; }
    void setForeColor(OleColor color) {
        foreColor_ = color;
        QPalette p = palette();
        p.setColor(QPalette::ButtonText, toQColor(color));
        setPalette(p);
    }

private:
    OleColor foreColor_ = 0; // black, as designed
};
