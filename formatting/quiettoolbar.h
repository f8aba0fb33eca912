#pragma once

#include "app/form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <vector>

// While it lives, the toolbar's controls take new values without running
// their commands. The program uses it when it mirrors a format into the
// toolbar: the mirror only shows what the selection already has, and letting
// the commands run would apply the shown values back (a mixed selection would
// lose its bold, 10.5-pt text would become 10 pt).
class QuietToolbar {
public:
    explicit QuietToolbar(const Form1& form) {
        for (QObject* control :
             {static_cast<QObject*>(form.Combo1), static_cast<QObject*>(form.Combo2),
              static_cast<QObject*>(form.Check1), static_cast<QObject*>(form.Check2),
              static_cast<QObject*>(form.Check3), static_cast<QObject*>(form.Check4),
              static_cast<QObject*>(form.Option1), static_cast<QObject*>(form.Option2),
              static_cast<QObject*>(form.Option3)})
            blockers_.emplace_back(control);
    }

private:
    std::vector<QSignalBlocker> blockers_;
};
