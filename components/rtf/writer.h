#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QFont>
#include <QMetaObject>
#include <QPointer>
#include <QTextDocument>
#include <memory>
#include <set>
#include <vector>

namespace rtf {

class DocumentWalker;
class Writer;

// The whole document as a complete RTF file: {\rtf1\ansi\ansicpg1252\deff0\uc1,
// a font table and a colour table of what the document uses, Word's list
// tables, then per paragraph its alignment, indents, spacing and list, per
// run what its format changes from the text before it.
// The size a run shows comes from the document's default font when the run has
// none of its own. The same document always gives the same bytes, and reading
// them back gives the same document. Lines stay short.
QByteArray writeRtf(const QTextDocument& document);

// A document written as RTF a piece at a time, between the user's edits,
// and kept up to date as they go on: each paragraph or table at the top of
// the document is written on its own, and an edit forgets only the pieces it
// touched. The file it gives reads back as writeRtf's does, but is not the
// same bytes: each piece starts its runs from \plain, and the tables list
// fonts and colours that edits have since taken out of use.
class IncrementalWriter {
public:
    // Follows the document's edits from now on; writes nothing yet.
    explicit IncrementalWriter(const QTextDocument& document);
    ~IncrementalWriter();
    IncrementalWriter(const IncrementalWriter&) = delete;
    IncrementalWriter& operator=(const IncrementalWriter&) = delete;

    const QTextDocument* document() const { return document_; }
    // Writes pieces not yet written until the deadline passes (one piece at
    // least). True once every piece of the document as it stands is written;
    // false also when the document is gone.
    bool write(const QDeadlineTimer& deadline);
    // The whole file, in parts to be joined, once write() returned true.
    QByteArrayList file();
    // How many pieces were written so far, again or for the first time.
    qint64 piecesWritten() const { return piecesWritten_; }

private:
    struct Piece {
        int start = 0, end = 0; // the document's characters it holds
        QByteArray rtf;
        std::set<int> lists; // the writer's lists its paragraphs are items of
    };
    // Characters [from, from + removed) are now `added` others.
    void changed(int from, int removed, int added);
    void restart();

    QPointer<const QTextDocument> document_;
    QFont defaultFont_;
    bool namesDefaultFont_ = true;
    std::unique_ptr<Writer> writer_;         // its tables, lists and formats
    std::unique_ptr<DocumentWalker> walker_; // into writer_
    std::vector<Piece> pieces_;              // in document order, never overlapping
    QMetaObject::Connection changes_;
    qint64 piecesWritten_ = 0;
};

} // namespace rtf
