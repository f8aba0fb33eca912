#include "app/form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

void Form1::connectFormattingEvents() {
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(PushButton13, &QPushButton::clicked, this, &Form1::PushButton13_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
    connect(PushButton10, &QPushButton::clicked, this, &Form1::PushButton10_Click);
    // A box's text changing, by typing or by the program, runs its command as
    // picking an item does.
    connect(Combo1, &QComboBox::editTextChanged, this, &Form1::Combo1_Change);
    connect(Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    connect(Combo2, &QComboBox::editTextChanged, this, &Form1::Combo2_Change);
    connect(Combo2, &QComboBox::activated, this, &Form1::Combo2_Click);
    watchFontBoxKeys();
    // stateChanged, not clicked: a state the program sets runs the command too.
    connect(Check1, &QCheckBox::stateChanged, this, &Form1::Check1_Click);
    connect(Check2, &QCheckBox::stateChanged, this, &Form1::Check2_Click);
    connect(Check3, &QCheckBox::stateChanged, this, &Form1::Check3_Click);
    connect(Check4, &QCheckBox::stateChanged, this, &Form1::Check4_Click);
    // An option runs its command only when it becomes the selected one.
    const std::pair<QRadioButton*, void (Form1::*)()> options[] = {
        {Option1, &Form1::Option1_Click},
        {Option2, &Form1::Option2_Click},
        {Option3, &Form1::Option3_Click}};
    for (const auto& [option, handler] : options) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool selected) {
            if (selected)
                (this->*handler)();
        });
    }
}
