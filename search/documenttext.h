#pragma once

#include <QObject>
#include <QString>

class QTextDocument;

// A document's Text (paragraphs joined by CR LF, a line break inside a
// paragraph as LF), kept beside the document for searching. Building Text
// from the document takes far longer than searching it, so the copy is built
// once and then follows every edit through the document's change reports; it
// is rebuilt only when a report does not account for the new length.
//
// Offsets are those of Text: a paragraph break counts two, a character
// outside the Basic Multilingual Plane counts as its two UTF-16 units.
class DocumentText : public QObject {
    Q_OBJECT
public:
    // The one copy attached to the document, made on first use; it lives as
    // long as the document.
    static DocumentText& of(QTextDocument& document);

    const QString& text();

    // The 0-based Text offset of the first occurrence of needle at or after
    // from, compared under Unicode case folding; -1 when there is none, when
    // needle is empty or when from lies beyond the end.
    qsizetype find(const QString& needle, qsizetype from);

private:
    explicit DocumentText(QTextDocument& document);
    void follow(int position, int charsRemoved, int charsAdded);
    // Text of the document positions [from, to), paragraph ends included.
    QString textOfRange(int from, int to) const;
    qsizetype expectedLength() const;

    QTextDocument& document_;
    QString text_;
    bool valid_ = false;
};
