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

struct FontChoice {
    QString name;
    double size = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// Shows the modal dialogs of the dialog component. Each call returns the
// user's answer, or nothing when the dialog was cancelled. The program uses
// Qt's dialogs; tests answer from a script.
class DialogPresenter {
public:
    virtual ~DialogPresenter() = default;
    virtual std::optional<FileDialogResult> showOpen(const FileDialogRequest& request) = 0;
    virtual std::optional<FileDialogResult> showSave(const FileDialogRequest& request) = 0;
    virtual std::optional<OleColor> showColor(OleColor initial, qint32 flags) = 0;
    virtual std::optional<FontChoice> showFont(const FontChoice& initial, qint32 flags) = 0;
};
