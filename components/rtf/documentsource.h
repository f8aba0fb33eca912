#pragma once

#include "components/rtf/documentsink.h"

#include <QFont>
#include <QHash>
#include <QPointer>
#include <QTextFrame>
#include <unordered_map>
#include <utility>

class QTextBlock;
class QTextCharFormat;
class QTextDocument;
class QTextList;
class QTextTable;

namespace rtf {

// Walks a document as the reader walks a file, and tells a sink what it
// finds with the same calls in the same order: the document's kept pieces and
// whether it names its default font, then each paragraph's runs and pictures
// and its end, each cell's and row's end, and finish(). Reading a file into a
// document and walking it gives what reading the file gave, up to what the
// document cannot hold (see the round-trip tests).
//
// A list the editor made, or one the file did not name, gets a negative
// listId of its own: a Qt list counts its items on across whatever stands
// between them, as the file's named lists do.
class DocumentWalker {
public:
    DocumentWalker(const QTextDocument& document, DocumentSink& sink);

    // The whole document, ending with finish().
    void walk();
    // For a document walked a piece at a time: what belongs to the whole
    // document (whether it names its default font, the kept pieces) ...
    void begin();
    // ... then the top-level paragraph, table or frame that begins at or
    // holds the position. Returns where the item begins and ends; an empty
    // paragraph that Qt keeps before a table at the start is an item that
    // tells the sink nothing.
    std::pair<int, int> item(int position);

private:
    void frame(QTextFrame::iterator it, int depth);
    // next: the paragraph after it in the same flow, whose fields the
    // paragraph's may go on into.
    void paragraph(const QTextBlock& block, int depth, bool cellStart,
                   const QTextBlock* next = nullptr);
    void table(const QTextTable* table, int depth);
    int ownListId(const QTextList* list);
    // The run format of a character format of the document, by its index.
    const RunFormat& runFormat(int index, const QTextCharFormat& format);

    const QTextDocument& document_;
    DocumentSink& sink_;
    QFont defaultFont_;
    // A document has few character formats and many runs: each is made into
    // a run format once. Formats keep their index while the document is walked.
    std::unordered_map<int, RunFormat> runFormats_;
    // Walking the whole document, not an item at a time: only then may a
    // field go on from one paragraph into the next.
    bool whole_ = false;
    // The ids given to lists without one, by list; a list gone since may have
    // left its address to a new one.
    QHash<const QTextList*, std::pair<QPointer<const QTextList>, int>> ownListIds_;
};

void walkDocument(const QTextDocument& document, DocumentSink& sink);

} // namespace rtf
