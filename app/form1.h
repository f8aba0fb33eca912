#pragma once

#include "app/platform.h"
#include "components/commondialog.h"
#include "components/pushbutton.h"
#include "components/sortedlist.h"
#include "components/surfacearray.h"
#include "components/tabstrip.h"
#include "services/globalshortcuts.h"

#include <QCursor>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QRadioButton;
class StatementGuard;
class QSessionManager;
class Recovery;

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
    PushButton* PushButton1;  // Open
    PushButton* PushButton2;  // New
    PushButton* PushButton3;  // Find
    PushButton* PushButton4;  // Font Select Wizard
    PushButton* PushButton5;  // Indent Left
    PushButton* PushButton6;  // Indent Right
    PushButton* PushButton7;  // Save
    PushButton* PushButton8;  // Save All
    PushButton* PushButton9;  // Text Color
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
    qint16 MousePointer = 0; // 0 the arrow, 99 the hand of MouseIcon
    GlobalShortcuts shortcuts;

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
    void PushButton11_Click(); // Close
    void PushButton12_Click(); // Close All
    // Asked before the window closes, however the close was requested; a
    // non-zero cancel keeps the window.
    void Form_QueryUnload(qint16& cancel, qint16 reason);
    // Ends the program at once: nothing more runs, nothing is saved.
    void Form_Unload(qint16& cancel);
    // The first tick registers the shortcut keys; later ticks never come.
    void Timer1_Timer();
    // Copies the format of the surface's selection into the toolbar.
    void RefreshToolbar(RichTextSurface& surface);
    // Files from outside the window (the command line, a drop): each opens as
    // Open opens the file its dialog returned, in order; one that cannot be
    // read gets the report and no tab, and the rest still open.
    void OpenFiles(const QStringList& paths);
    // At start-up, after Form_Load: offers the recovery copies that an editor
    // no longer running left behind, and opens them as changed documents.
    void RestoreDocuments();
    // The recovery copies of this window's documents; null when it keeps none.
    Recovery* recovery() const { return recovery_.get(); }

    // --- Helpers -------------------------------------------------------------
    // The two entries of the open and save dialogs.
    static const QString kDocumentFilter;
    // The path field of a document tag ("flag|path").
    static QString PathFromTag(const QString& tag);
    // A document tag: the changed flag "0" or "1", "|", and the path ("" when
    // never saved).
    static QString DocumentTag(bool changed, const QString& path);
    // The changed mark: one "*" at the end of a tab caption; a "*" anywhere
    // in a caption is what every command tests.
    static bool HasChangedMark(const QString& caption);
    static QString WithChangedMark(const QString& caption);
    static QString WithoutChangedMark(QString caption);
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
    // True when a tab's caption carries the changed mark.
    bool AnyDocumentChanged() const;
    void setMousePointer(qint16 pointer);
    // The surface of the selected tab; throws when no tab is selected or its
    // element is missing.
    RichTextSurface& currentSurface() const;

    // --- Search and formatting ---
    QString lastSearchString;   // the string of the active search; "" when none
    qint32 nextSearchStart = 0; // 1-based position where Find Next goes on
    void PushButton3_Click();   // Find
    void PushButton13_Click();  // Find Next
    void PushButton4_Click();   // Font Select Wizard
    void PushButton5_Click();   // Indent Left
    void PushButton6_Click();   // Indent Right
    void PushButton9_Click();   // Text Color
    void PushButton10_Click();  // Back Color
    void Combo1_Change();
    void Combo1_Click(); // the size command
    void Combo2_Change();
    void Combo2_Click(); // the font-name command
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();

private:
    void connectFormattingEvents();
    // Runs a toolbar command on the current document's surface and gives it
    // the focus; without a current document, or when the surface refuses the
    // value, nothing happens.
    void applyToSelection(const std::function<void(RichTextSurface&)>& apply);
    // Return, Enter and Tab in the font boxes send the keyboard back to the text.
    void watchFontBoxKeys();
    // Set while a font box's own typing runs its command: the focus stays in the box.
    bool typingInFontBox = false;
    void stepIndent(const char* handler, qint32 twips);

public:
    // Where the toolbar commands would have left the focus after the program
    // mirrored a format into the toolbar: on the current document.
    void focusCurrentSurface();

private:
    // The surface of the selected tab, or none (the toolbar's boxes then do nothing).
    RichTextSurface* currentSurfaceOrNull() const;
    // --- End of search and formatting ---

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Raises documentCount and returns the new document's index; throws
    // "Overflow" at the 16-bit limit, leaving the count as it was.
    qint16 nextDocumentIndex();
    // New's statements from the loading flag to its clearing, numbered from
    // firstLine; the tab goes first or after the last one. False when the
    // document limit stopped it before anything was touched.
    bool addUntitledDocument(StatementGuard& guard, int firstLine, bool atFront);
    // Close All's statements from removing every tab to the new Untitled1.rtf:
    // one surface, documentCount 1. Reported under `line`, or under Close
    // All's own numbers when it is 0.
    void startOver(StatementGuard& guard, int line);
    // Open's statements after its dialog: a new tab with the file's name and
    // content, tag "0|" and the path. False, with no tab left behind, when the
    // file could not be read.
    bool openDocument(StatementGuard& guard, const QString& fileName);
    // The numbers of the extension test and of the RTF and plain-text writes.
    struct SaveLines {
        int test, rtf, text;
    };
    // Writes the surface to the path in the format its extension names; false
    // when the write failed (and was reported).
    bool writeByExtension(StatementGuard& guard, const SaveLines& lines,
                          const std::function<RichTextSurface&()>& surface, const QString& path);

    void buildDesign();
    // The toolbar controls that show the hand while the mouse moves over them.
    void setupPointerFeedback();
    // A logout asks as the close box does; staying cancels the logout.
    void commitSession(QSessionManager& manager);
    void connectEvents();
    void layoutDocuments();
    void setControlBackColor(QWidget* control, OleColor color);
    void applySkin(const QString& skinPath);
    // Files dropped anywhere on the window open as documents; a surface or a
    // text box would otherwise paste their names as text.
    void setupFileDrops();

    // Lets the recovery copies follow a command that saved or closed documents.
    void syncRecovery();
    // A recovery copy opened as Open opens a file, marked changed; false when
    // nothing was added.
    bool restoreDocument(const QString& path, const QByteArray& rtf);

    Platform platform_;
    double scale_ = 1.0;
    std::unique_ptr<Recovery> recovery_;
};
