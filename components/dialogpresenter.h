#pragma once

#include "components/olecolor.h"

#include <QString>
#include <QStringList>
#include <optional>

// One file-dialog filter entry, parsed from the "label|pattern" pairs of the
// dialog component's Filter string.
struct FileFilter {
    QString label;
    QString pattern; // as written, e.g. "*.rtf;*.txt"
};

struct FileDialogRequest {
    QString title;
    QList<FileFilter> filters;
    int selectedFilter = 0; // 0-based index into filters
    QString fileName;       // preset text of the name box
};

struct FileDialogResult {
    QString fileName;
    int selectedFilter = 0; // 0-based index of the filter the user ended with
};

// The font values a font dialog starts from and ends with. A value without a
// value is one the selection does not have in common: the dialog presets
// nothing for it, and hands it back without a value unless the user chose one.
struct FontChoice {
    std::optional<QString> name;
    std::optional<double> size; // points, halves kept
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;

    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

// Shows the modal dialogs of the dialog component. Each call returns the
// user's answer, or nothing when the dialog was cancelled. The program uses
// Qt's dialogs; tests answer from a script.
//
// showColor opens on `initial`, so confirming without a choice returns the
// colour the dialog was given. showFont shows no effects part: the underline
// comes back as it was given, and confirming without a change returns
// `initial` exactly.
class DialogPresenter {
public:
    virtual ~DialogPresenter() = default;
    virtual std::optional<FileDialogResult> showOpen(const FileDialogRequest& request) = 0;
    virtual std::optional<FileDialogResult> showSave(const FileDialogRequest& request) = 0;
    virtual std::optional<OleColor> showColor(OleColor initial, qint32 flags) = 0;
    virtual std::optional<FontChoice> showFont(const FontChoice& initial, qint32 flags) = 0;
};
