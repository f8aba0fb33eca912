#pragma once

#include "components/olecolor.h"

#include <QFont>
#include <QObject>
#include <QString>
#include <optional>

class QTextEdit;
class QTextDocument;
class QTextCursor;
class QTextCharFormat;
class QUrl;
class QWidget;

// One document's editing surface, over QTextEdit. It offers exactly what the
// program asks of a document: its plain Text (paragraphs joined by CR LF), the
// selection counted in characters of that Text, the selection's format (no
// value when the selection mixes values), the surface's base font, back
// colour and tag. A put on a Sel property applies to the whole selection; with
// a collapsed selection it applies to the text typed next. Invalid values
// throw RuntimeError; the surface never shows anything itself.
class RichTextSurface : public QObject {
    Q_OBJECT
public:
    // The base font every new surface starts with.
    static QFont designFont();

    RichTextSurface(qint16 index, QWidget* parent);
    ~RichTextSurface() override;

    qint16 index() const { return index_; }
    QTextEdit* widget() const { return edit_; }
    QTextDocument* document() const;

    QString text() const;
    void setText(const QString& text);

    // Replaces the content with the file's: RTF when it starts with "{\rtf",
    // else plain text. Throws RuntimeError when the file cannot be read; the
    // content is then unchanged.
    void loadFile(const QString& path);
    // Writes the whole content as RTF, replacing an existing file only once the
    // new one is complete. Throws RuntimeError on failure.
    void saveFile(const QString& path) const;

    qint32 selStart() const;
    void setSelStart(qint32 start);
    qint32 selLength() const;
    void setSelLength(qint32 length);

    std::optional<QString> selFontName() const;
    void setSelFontName(const QString& name);
    std::optional<double> selFontSize() const;
    void setSelFontSize(double points);
    std::optional<bool> selBold() const;
    void setSelBold(bool on);
    std::optional<bool> selItalic() const;
    void setSelItalic(bool on);
    std::optional<bool> selUnderline() const;
    void setSelUnderline(bool on);
    std::optional<bool> selBullet() const;
    void setSelBullet(bool on);
    // 0 left, 1 right, 2 centred (3 for justified text, which the program never sets).
    std::optional<qint16> selAlignment() const;
    void setSelAlignment(qint16 alignment);
    // Left indent of the selected paragraphs in twips; a negative put is held at 0.
    std::optional<qint32> selIndent() const;
    void setSelIndent(qint32 twips);
    // Moves the left indent of every selected paragraph by the step from its
    // own indent, held at 0 as a put is.
    void stepSelIndent(qint32 twips);
    std::optional<OleColor> selColor() const;
    void setSelColor(OleColor color);

    OleColor backColor() const { return backColor_; }
    void setBackColor(OleColor color);
    QFont font() const;

    QString tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }

    bool isVisible() const;
    void setVisible(bool visible);
    void zOrder();
    void setFocus();

    // Offsets of Text and positions of the document differ by one per
    // paragraph break; both directions cost O(log n) in the paragraphs. Table
    // cells are paragraphs like any other (each cell's first paragraph starts
    // after one frame marker, as any paragraph after its break), and a picture
    // is one object character in both.
    int textOffsetOf(int position) const;
    int positionOfTextOffset(qint64 offset) const;

    // The links a Ctrl+click opens: web pages and e-mail addresses. A
    // document must never make the editor run or open anything else (a local
    // file, a launcher, another program's scheme).
    static bool isOpenableLink(const QUrl& url);

signals:
    void Change(qint16 index);
    void Click(qint16 index);
    // A Ctrl+click on a link that isOpenableLink.
    void LinkActivated(const QUrl& url);

private:
    template <typename T, typename Read> std::optional<T> uniformFormat(Read read) const;
    template <typename T, typename Read> std::optional<T> uniformChar(Read read) const;
    template <typename T, typename Read> std::optional<T> uniformBlock(Read read) const;
    void mergeSelection(const QTextCharFormat& format);

    qint16 index_;
    QTextEdit* edit_;
    QString tag_;
    OleColor backColor_ = 0xFFFFFF;
    // The lists' walk after an edit: waiting to run, and whether the edits
    // since the last one may have changed what they number.
    bool listsDue_ = false;
    bool listsMayHaveChanged_ = false;
    int blocksSeen_ = 1;
};
