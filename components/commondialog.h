#pragma once

#include "components/dialogpresenter.h"

// The dialog component: one object serving every file, colour and font
// dialog of the window. Its properties keep their values from one dialog to
// the next until written again; a cancelled dialog leaves every property as
// it was and is no error.
class CommonDialog {
public:
    explicit CommonDialog(DialogPresenter& presenter) : presenter_(presenter) {}

    QString FileName;
    QString DialogTitle;
    QString Filter;         // "label|pattern|label|pattern..."
    qint16 FilterIndex = 0; // 1-based; 0 or out of range selects the first entry
    qint32 Flags = 0;
    OleColor Color = 0;
    // No value: the font dialog presets nothing for it (a selection that
    // mixes it), and after the dialog, that the user chose nothing for it.
    std::optional<QString> FontName;
    std::optional<double> FontSize;
    std::optional<bool> FontBold;
    std::optional<bool> FontItalic;
    std::optional<bool> FontUnderline;

    void ShowOpen();
    void ShowSave();
    // The colour and font dialogs also say whether the user confirmed them,
    // so that a caller applies nothing after a Cancel; a confirmed dialog may
    // still return the values it was given.
    bool ShowColor();
    bool ShowFont();

    // The filter string split into its pairs; a label without a pattern gets "*".
    static QList<FileFilter> parseFilter(const QString& filter);

private:
    FileDialogRequest fileRequest() const;
    void takeFileResult(const std::optional<FileDialogResult>& result);

    DialogPresenter& presenter_;
};
