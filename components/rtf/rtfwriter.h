#pragma once

// The RTF writer's own parts, one file each: the document's paragraphs and
// runs (writer.cpp), lists (writerlists.cpp), table rows (writerrows.cpp),
// pictures (writerpictures.cpp), and the writer in pieces that recovery
// copies use (incrementalwriter.cpp). Not for use outside the writer.

#include "components/rtf/documentsink.h"
#include "components/rtf/keptrtf.h"
#include "components/rtf/listtable.h"
#include "components/rtf/rtfoutput.h"
#include "components/rtf/symbolfont.h"
#include "components/rtf/writerformats.h"

#include <QByteArrayList>
#include <QFont>
#include <QHash>
#include <array>
#include <map>
#include <set>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rtf {

// A Word list: one per list of the file read, unless its items look
// otherwise at one level half way; and one per list of the document's own.
// Each level is as its last item was written.
struct WrittenList {
    int fileList = 0; // the list of the file read it stands for (its \ls), or 0
    struct Level {
        ListKind kind = ListKind::None; // None: no item at this level
        ListLabel label;
    };
    std::array<Level, 9> levels;
    int ls = 0;         // its \ls
    bool inFile = true; // some paragraph of the file is one of its items
};

// The RTF writer: a sink of the document's walk (DocumentWalker). A
// paragraph's runs wait for its end, where its format comes; a top-level
// row's cells wait for the row's end, whose definition goes before them.
class Writer : public DocumentSink {
public:
    // The font that text without a family or size of its own shows.
    explicit Writer(const QFont& defaultFont) : defaultFont_(defaultFont), tables_(defaultFont) {}

    void text(QStringView text, const RunFormat& format) override;
    void picture(const Picture& picture, const RunFormat& format) override;
    void endParagraph(const ParagraphFormat& format, const RunFormat& markFormat) override;
    void endCell(int depth) override;
    void endRow(const RowFormat& row, int depth) override;
    void keep(const KeptRtf& kept) override { kept_.append(kept); }
    void fieldsGoOn(const KeptRtfList& fields) override;
    void noDefaultFont() override;
    // The body goes first, so that the font and colour tables hold exactly
    // what it uses, in the order it uses them: a paragraph left out of the
    // file leaves no entry behind, and saving what was read of a saved file
    // gives the same bytes. finish() puts the file together.
    void finish() override;
    // The whole file, after finish().
    QByteArray take() { return std::move(file_); }

    // For a document written a piece at a time: each top-level item's runs
    // start from \plain, so that it reads the same wherever it stands.
    void beginItem() { formatWritten_ = false; }
    // What was written since the last call, and the lists (by number) its
    // paragraphs are items of.
    QByteArray takeItem();
    std::set<int> takeItemLists() { return std::exchange(itemLists_, {}); }
    // The kept pieces are told again before the file is put together.
    void forgetKept() { kept_.clear(); }
    // The file around a body written item by item: header and kept RTF
    // before, kept RTF and the closing brace after. Of the lists, only those
    // the items use: items written before an edit may have used others.
    QByteArrayList file(QByteArrayList body, const std::set<int>& lists);

private:
    // What the file kept at that place (style sheet, info, page setup,
    // headers and footers; lists), renumbered into this file's tables.
    QByteArray keptRtf(KeptRtf::Place place);
    // Kept RTF with its fonts, colours and lists numbered into this file's
    // tables.
    QByteArray renumbered(const KeptRtf& kept);
    bool isSymbolFont(qsizetype font) const {
        return rtf::isSymbolFont(tables_.fonts().value(font));
    }
    void header();
    void fontTable();
    void colorTable();
    // The lists written, then those kept whole.
    void listTables(const QByteArray& keptLists, const QByteArray& keptOverrides);
    // The end word of the last paragraph, once the next call tells which:
    // \cell, \nestcell or \par.
    void endPending(std::string_view end = "par");
    // What every run does before its text: its field, its format, what was
    // kept before it, the object it stands for. Returns what of the text is
    // still to be written: the characters that stand for an object are in
    // the object's group already.
    QStringView beginRun(const RunFormat& run, QStringView text);
    // The \ls of a list item, and its label for readers without lists.
    // Returns where the label begins in the body.
    qsizetype listParagraph(const ParagraphFormat& para);
    int listNumber(const ParagraphFormat& para);
    // \sl and \slmult, and each tab stop's \tq, \tl and \tx words.
    void lineAndTabs(const ParagraphFormat& para);
    void format(const WrittenFormat& format);
    // Opens the fields whose result the next text is, closing those it is
    // not in; none closes them all.
    void fields(const KeptRtfList& instructions);
    void rowDefinition(RtfOutput& out, const RowFormat& row);
    void cellBorders(RtfOutput& out, const CellFormat& cell);
    void writePicture(const Picture& picture);

    QFont defaultFont_;
    bool namesDefaultFont_ = true;
    WriterTables tables_;
    KeptRtfList kept_;
    RtfOutput out_;                              // the body so far
    RtfOutput runs_ = RtfOutput::continuation(); // the paragraph's, till its end
    QByteArray file_;
    bool paragraphStarted_ = false; // a run of the paragraph came
    KeptRtf headBefore_;            // kept before its first text: goes ahead of \pard
    KeptRtf lastBefore_;            // kept before the last run
    KeptRtf object_;                // the object the last run stood for
    QString objectLeft_;            // characters of its stand-in still to skip
    QString typed_;                 // text typed among them
    bool endPending_ = false;
    qsizetype rowStart_ = -1; // where the top-level row being written began
    struct OpenField {
        KeptRtf instruction;
        WrittenFormat formatBefore; // what its group's end restores
        bool formatWrittenBefore = false;
    };
    QList<OpenField> openFields_; // the outermost first
    // A field over several paragraphs stays open across their breaks: goOn_
    // fields stay open at this paragraph's end, and the paragraph began
    // inside carried_. Where one it began inside ends, its format words come
    // again (restateAt_, in runs_): a group's end undoes those said inside it.
    qsizetype goOn_ = 0;
    qsizetype carried_ = 0;
    QList<qsizetype> restateAt_;
    WrittenFormat current_;
    bool formatWritten_ = false;
    std::vector<WrittenList> lists_;
    std::set<int> itemLists_; // the lists of the item being written
    // The \ls of the items of a list at a level with a look.
    using ListLook = std::tuple<int, int, ListKind, BulletShape, QString, QString, int, int, int>;
    std::map<ListLook, int> listNumbers_;
    QHash<int, int> fileListNumbers_; // the first \ls of each of the file's lists
    // The \ls numbers given so far: to the lists written, and to the file's
    // that kept RTF names (by the file's number), which are kept whole.
    int listsNumbered_ = 0;
    std::unordered_map<int, int> keptListNumbers_;
    std::unordered_map<int, int> keptListIds_; // the \listid of the file's lists kept whole
    ListNumbering numbering_;
};

} // namespace rtf
