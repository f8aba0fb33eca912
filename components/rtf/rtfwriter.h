#pragma once

// The RTF writer's own parts, one file each: the document's paragraphs and
// runs (writer.cpp), lists (writerlists.cpp), table rows (writerrows.cpp),
// pictures (writerpictures.cpp), and the writer in pieces that recovery
// copies use (incrementalwriter.cpp). Not for use outside the writer.

#include "components/rtf/documentsink.h"
#include "components/rtf/keptrtf.h"
#include "components/rtf/rtfoutput.h"
#include "components/rtf/symbolfont.h"
#include "components/rtf/writerformats.h"

#include <QByteArrayList>
#include <QHash>
#include <QPointer>
#include <QTextFrame>
#include <QTextList>
#include <array>
#include <string_view>
#include <utility>
#include <vector>

class QTextBlock;
class QTextDocument;
class QTextImageFormat;
class QTextTable;

namespace rtf {

// A Word list, its number its \ls: one per list of the file read, its levels
// from the Qt lists of its items; and one per Qt list of the editor's own.
// Each level is as its last item was written: the list may be gone by the
// time the list table is written from a document written in pieces.
struct WrittenList {
    bool fromFile = false; // a list of the file read
    struct Level {
        ListKind kind = ListKind::None; // None: no item at this level
        ListLabel label;
    };
    std::array<Level, 9> levels;
};

class Writer {
public:
    explicit Writer(const QTextDocument& document)
        : document_(document), tables_(document.defaultFont(), namesDefaultFont(document)) {}

    // The body goes first, so that the font and colour tables hold exactly
    // what it uses, in the order it uses them: a paragraph left out of the
    // file leaves no entry behind, and saving what was read of a saved file
    // gives the same bytes.
    QByteArray write() {
        body();
        out_.raw(keptRtf(true).toStdString());
        out_.raw("}");
        out_.endLine();
        const QByteArray content = out_.take();
        const QByteArray kept = keptRtf(false);
        out_ = RtfOutput();
        header();
        QByteArray file = out_.take();
        file += kept;
        file += content;
        return file;
    }

    // Writes the top-level paragraph, table or frame that begins at or holds
    // the position, on its own: its runs start from \plain, so that it reads
    // the same wherever it stands. Returns where the item begins and ends.
    std::pair<int, int> item(int position);
    // What item() wrote since the last call.
    QByteArray takeItem() { return out_.takeCopy(); }
    // The file around a body written item by item: header and kept RTF
    // before, kept RTF and the closing brace after.
    QByteArrayList file(QByteArrayList body);

private:
    // The \ls of a list, numbered in order of first use.
    int listNumber(QTextList* list);
    // What the file kept (style sheet, info, page setup, headers and
    // footers), renumbered into this file's font and colour tables.
    QByteArray keptRtf(bool atEnd);
    // Kept RTF with its fonts and colours numbered into this file's tables.
    QByteArray renumbered(const KeptRtf& kept);
    bool isSymbolFont(qsizetype font) const {
        return rtf::isSymbolFont(tables_.fonts().value(font));
    }
    void header();
    void fontTable();
    void colorTable();
    void listTables();
    void body();
    // The blocks and tables of a frame at a table depth; the last paragraph
    // ends with lastEnd (\cell in a cell) instead of \par.
    void frameContent(QTextFrame::iterator it, int depth, std::string_view lastEnd);
    void paragraph(const QTextBlock& block, int depth, std::string_view end);
    void listParagraph(const QTextBlock& block, const ParagraphFormat& para, QTextList* list);
    // \sl and \slmult, and each tab stop's \tq, \tl and \tx words.
    void lineAndTabs(const ParagraphFormat& para);
    void format(const WrittenFormat& format);
    // Opens the field whose result the next text is, closing the one before;
    // an empty instruction only closes.
    void field(const KeptRtf& instruction);
    KeptRtf field_;                   // the field open, if any
    WrittenFormat formatBeforeField_; // what its group's end restores
    bool formatWrittenBeforeField_ = false;
    void table(const QTextTable* table, int depth);
    void rowDefinition(const RowFormat& row);
    void cellBorders(const CellFormat& cell);
    void picture(const QTextImageFormat& format);

    const QTextDocument& document_;
    WriterTables tables_;
    RtfOutput out_;
    std::vector<WrittenList> lists_;
    QHash<const QTextList*, std::pair<QPointer<QTextList>, int>> listNumbers_;
    QHash<int, int> fileListNumbers_; // by the file's list
    WrittenFormat current_;
    bool formatWritten_ = false;
};

} // namespace rtf
