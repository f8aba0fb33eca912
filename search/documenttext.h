#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QTextDocument;

// A document's characters, kept beside it for searching. Reading them out of
// the document costs more than searching them, so the copy is taken once, on
// the first search, and then follows every edit through the document's change
// reports; it is taken again only when a report does not account for the new
// length.
//
// The copy holds the document's characters, one per position, with any
// paragraph end (a break or a table's frame marker) as one character: it
// follows edits by position and is searched as it is. Searches report offsets
// of Text (paragraphs joined by CR LF, a line break inside a paragraph as LF):
// a paragraph break counts two, a character outside the Basic Multilingual
// Plane counts as its two UTF-16 units.
class DocumentText : public QObject {
    Q_OBJECT
public:
    // The one copy attached to the document, made on first use; it lives as
    // long as the document.
    static DocumentText& of(QTextDocument& document);

    // Text as the copy gives it (what rtf::documentText gives of the document).
    QString text();

    // The 0-based Text offset of the first occurrence of needle at or after
    // from, compared under Unicode case folding; -1 when there is none, when
    // needle is empty or when from lies beyond the end.
    qsizetype find(const QString& needle, qsizetype from);

private:
    explicit DocumentText(QTextDocument& document);
    ~DocumentText() override;
    // The copy, taken first if need be.
    QStringView characters();
    void follow(int position, int charsRemoved, int charsAdded);
    // The document's characters at positions [from, to).
    QString charactersOfRange(int from, int to) const;
    // The surface's mapping between document positions and Text offsets.
    qsizetype textOffsetOf(qsizetype position) const;
    qsizetype positionOfTextOffset(qsizetype offset) const;

    QTextDocument& document_;
    struct Characters;
    std::unique_ptr<Characters> characters_;
    bool valid_ = false;
};
