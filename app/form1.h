#pragma once

#include "app/platform.h"
#include "components/commondialog.h"
#include "components/pushbutton.h"
#include "components/sortedlist.h"
#include "components/surfacearray.h"
#include "components/tabstrip.h"

#include <QCursor>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QRadioButton;
class StatementGuard;

// The main window. Its controls and the program's few state variables keep
// their designed names; each handler is defined in the folder of its
// subsystem (documents/, saving/, search/, formatting/, services/).
class Form1 : public QWidget {
    Q_OBJECT
public:
    static constexpr char kProductName[] = "Ferrotab";

    explicit Form1(Platform platform, QWidget* parent = nullptr);
    ~Form1() override;

    // --- Controls, as designed ---------------------------------------------
    PushButton* PushButton1; // Open
    PushButton* PushButton2; // New
    PushButton* PushButton3; // Find
    PushButton* PushButton4; // Font Select Wizard
    PushButton* PushButton5; // Indent Left
    PushButton* PushButton6; // Indent Right
    PushButton* PushButton7; // Save
    PushButton* PushButton8; // Save All
    PushButton* PushButton9; // Text Color
    PushButton* PushButton10; // Back Color
    PushButton* PushButton11; // Close
    PushButton* PushButton12; // Close All
    PushButton* PushButton13; // Find Next
    PushButton* PushButton14; // Save As
    QCheckBox* Check1;        // Bold
    QCheckBox* Check2;        // Italic
    QCheckBox* Check3;        // Underline
    QCheckBox* Check4;        // Bullet
    QRadioButton* Option1;    // Left
    QRadioButton* Option2;    // Center
    QRadioButton* Option3;    // Right
    QComboBox* Combo1;        // font size
    QComboBox* Combo2;        // font name
    SortedList List1;         // hidden, sorts the font names
    TabStrip* TabControl1;
    SurfaceArray* RichTextBox1;
    QTimer Timer1;
    CommonDialog CommonDialog1;
    std::optional<QCursor> MouseIcon; // the hand pointer, when one was loaded

    // --- Program state -------------------------------------------------------
    qint16 documentCount = 0;
    bool loadingFlag = false;
    QString applicationTitle; // the title of boxes given none of their own
    OleColor backColor = 0xFFFFFF;

    // --- Handlers ------------------------------------------------------------
    void Form_Load();
    void RichTextBox1_Change(qint16 index);
    void RichTextBox1_Click(qint16 index);
    void TabControl1_SelectedChanged(int position);
    void PushButton1_Click();  // Open
    void PushButton2_Click();  // New
    void PushButton7_Click();  // Save
    void PushButton8_Click();  // Save All
    void PushButton14_Click(); // Save As
    // Copies the format of the surface's selection into the toolbar.
    void RefreshToolbar(RichTextSurface& surface);

    // --- Helpers -------------------------------------------------------------
    // The two entries of the open and save dialogs.
    static const QString kDocumentFilter;
    // The path field of a document tag ("flag|path").
    static QString PathFromTag(const QString& tag);
    // The extension rule: RTF exactly when the text after the last "." of the
    // whole name (all of it without one) is "rtf" in any case.
    static bool IsRtfName(const QString& name);
    // Writes Text and one CR LF, as UTF-8, replacing the file only when the
    // whole new one is on disk. Throws RuntimeError on failure.
    static void WriteTextFile(const QString& text, const QString& path);
    // Text after the last path separator; "" when the path ends with one.
    static QString FileNameFromPath(const QString& path);
    // True exactly when the path's last-modified time can be read.
    static bool FileExists(const QString& path);
    // The title of message boxes: the product name without its last word,
    // shortened word by word to at most 40 characters; a one-word name whole.
    static QString ApplicationTitleFrom(const QString& productName);
    // A number in its shortest decimal form: 9, 10.5.
    static QString DecimalText(double value) { return QString::number(value, 'g', 15); }

    MessageBoxes& messages() const { return *platform_.messages; }
    const QString& programFolder() const { return platform_.programFolder; }
    // Twips of the design to pixels on this screen.
    int twips(int value) const;
    // The surface of the selected tab; throws when no tab is selected or its
    // element is missing.
    RichTextSurface& currentSurface() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Raises documentCount and returns the new document's index; throws
    // "Overflow" at the 16-bit limit, leaving the count as it was.
    qint16 nextDocumentIndex();
    // New's statements from the loading flag to its clearing, numbered from
    // firstLine; the tab goes first or after the last one. False when the
    // document limit stopped it before anything was touched.
    bool addUntitledDocument(StatementGuard& guard, int firstLine, bool atFront);
    // The numbers of the extension test and of the RTF and plain-text writes.
    struct SaveLines {
        int test, rtf, text;
    };
    // Writes the surface to the path in the format its extension names; false
    // when the write failed (and was reported).
    bool writeByExtension(StatementGuard& guard, const SaveLines& lines,
                          const std::function<RichTextSurface&()>& surface, const QString& path);

    void buildDesign();
    void connectEvents();
    void layoutDocuments();
    void setControlBackColor(QWidget* control, OleColor color);
    void applySkin(const QString& skinPath);

    Platform platform_;
    double scale_ = 1.0;
};
