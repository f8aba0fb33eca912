#pragma once

#include "components/rtf/colortable.h"
#include "components/rtf/documentsink.h"
#include "components/rtf/fonttable.h"
#include "components/rtf/keptrtf.h"
#include "components/rtf/listtable.h"
#include "components/rtf/readerstate.h"
#include "components/rtf/textbuffer.h"
#include "components/rtf/tokenizer.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace rtf {

struct ControlInfo;

// Reads RTF bytes into a DocumentSink. It never throws on content and never
// fails: braces need not balance, the end may be missing, nesting beyond
// maxDepth is skipped, parameters are clamped, unknown words are ignored and
// unknown \* destinations skipped. Whatever can be read reaches the sink.
class Reader {
public:
    // Outlook's encapsulated HTML nests one group per tag without closing it
    // for a long way; real files go past 2,700 levels. The stack lives on the
    // heap, so the bound only caps memory.
    static constexpr std::size_t maxDepth = 4096;
    // Tables nested deeper read into the deepest level; Word stops at 64.
    static constexpr int maxTableDepth = 16;
    // Cells beyond this in one row definition are dropped (Word allows 63).
    static constexpr std::size_t maxRowCells = 256;

    explicit Reader(DocumentSink& sink) : sink_(sink) {}
    // Reads one document; call once per Reader.
    void read(std::string_view data);

private:
    GroupState& state() { return stack_.back(); }
    const GroupState& state() const { return stack_.back(); }
    // offset: where the brace stands in the file.
    void openGroup(std::size_t offset);
    // False when the outermost group closed.
    bool closeGroup(std::size_t offset);
    // Skips the current group; one of the document's own (style sheet, info,
    // headers and footers ...) is kept whole for the writer.
    void skipGroup(std::string_view word, bool starred);
    // Page setup and other document formatting before the body, kept as read.
    void keepDocumentWord(const Token& token);
    void flushDocumentWords();
    // The file's lists that no paragraph shows, and their overrides, kept
    // whole for what names them.
    void keepUnshownLists();
    // The fonts and colours a kept piece of the file names, numbered into
    // lists of its own.
    KeptRtf keptRtf(std::string_view rtf) const;
    // The file's rtf with its legacy bytes written as \\uN, read in the
    // code page they stood in.
    std::string unicodeText(std::string_view rtf) const;
    int codePageOf(int font) const;
    // A piece of the body the editor does not show (a bookmark, an
    // annotation, hidden text, another program's destination): it goes with
    // the next text, or with the paragraph's end when no text follows.
    void keepInline(std::string_view rtf);
    KeptRtf takeInline();
    // A footnote or endnote shows as its number, standing for the note and
    // the \chftn before it; a \chftn waits for its note, the group that
    // follows, and without one is kept as it stood.
    void noteMark();
    void settleNoteMark();
    void endNote(std::string_view note);
    void hiddenRun(const QString& text);
    std::string hiddenPieceRtf() const; // the last hidden text's piece

    // Where the group begins that the word just read opens, when it is an
    // entry (a list, an override) of a table of the document's own; else
    // npos: a table inside another group (a shape's picture) is kept with it.
    std::size_t tableEntryGroup() const;
    void controlWord(const Token& token);
    bool destination(const ControlInfo& info, std::string_view word, bool starred);
    void documentControl(const ControlInfo& info, const Token& token, int value);
    void tableControl(const ControlInfo& info, int value);
    void characterControl(const ControlInfo& info, int value);
    void paragraphControl(const ControlInfo& info, int value);
    void rowControl(const ControlInfo& info, int value);
    void pictureControl(const ControlInfo& info, const Token& token, int value);
    void pictureHex(std::string_view text);
    void endPicture(const GroupState& pictureState);
    // A floating shape (\shp) whose only content is a picture shows the
    // picture and stands for the whole shape group, its position included:
    // its picture waits here until the shape ends. Any text in the shape (a
    // text box) sends the picture on as an inline one.
    void releaseShapePicture();
    // Text, a note, a paragraph or a row came: inside a shape, it is a text
    // box, not a picture's frame.
    void shapeContent();
    // Text of the body came after a text box's own in the same shape: the
    // shape is not kept whole, and the box's text goes to the body.
    void releaseShapeText();
    void shapeTextCharacter(char16_t c);
    void endShape(const GroupState& shape, std::size_t end);
    // Ends a cell or a row at the depth; false outside the body.
    void endCell(int depth);
    void endRow(int depth);
    int tableDepth(const ParaState& para) const;
    CellBorder* borderTarget();
    void controlSymbol(const Token& token);
    void bytes(std::string_view bytes);
    void unicode(int value);
    void character(char16_t c);
    // A character of the body, or of the font name being read.
    void nameOrBodyCharacter(char16_t c);
    // Text of a \\pn paragraph's \\pntxtb or \\pntxta.
    void pnText(QStringView text);
    void bodyContent();
    void startBody();
    // Around text of the body: what text ends before it, and what it makes.
    void beforeText();
    void afterText();

    void syncRunFormat();
    void flushRun();
    // Hidden text of a field's result that joined the hidden text kept right
    // before the field goes back out of it, when the field is kept whole;
    // false where that piece is no longer the last hidden one.
    bool splitHiddenBefore(const GroupState& field);
    // minDepth, maxDepth: the table depth the paragraph's end puts it at.
    void endParagraph(int minDepth = 0, int maxDepth = maxTableDepth);
    int documentCodePage() const;
    int currentCodePage();
    // The font a \f number shows: one the table lacks is the default one.
    const FontTable::Font* fontOf(int number) const;
    // The table's font of that number, if it has one with a name.
    const FontTable::Font* namedFont(int number) const;
    RunFormat resolve(const CharState& chr) const;
    ParagraphFormat resolve(const ParaState& para) const;

    DocumentSink& sink_;
    std::string_view data_;
    std::string documentWords_;
    bool bodyStarted_ = false;
    std::string shapeProperty_;  // the \sn of the shape property being read
    std::size_t tokenCount_ = 0; // tokens read so far
    std::vector<GroupState> stack_;
    std::size_t overflow_ = 0; // groups opened beyond maxDepth
    bool pendingStar_ = false;
    int unicodeSkipLeft_ = 0;

    int ansiCodePage_ = 1252;
    // \deff; without it, as LibreOffice reads a file, text that names no
    // font shows in the reader's own default.
    int defaultFont_ = -1;
    // Some text came before any font it could show in was known: saved, it
    // must be left to the reader's default as it was here.
    mutable bool unnamedText_ = false;
    FontTable fonts_;
    ColorTable colors_;
    ListTable lists_;
    std::unordered_set<int> listsShown_;         // \ls of the paragraphs' lists
    mutable std::unordered_set<int> listsNamed_; // \ls that kept RTF names

    TextBuffer run_;
    CharState runChar_;
    std::vector<std::string> inline_;    // kept pieces waiting for the next text
    qsizetype hiddenPiece_ = -1;         // the last of inline_ when it is hidden text
    KeptRtf hiddenWords_;                // its format words, as the file gets them
    QByteArray hiddenRawWords_;          // and as this file numbers them
    QString hiddenText_;                 // and its text
    bool hiddenSymbols_ = false;         // written as a Symbol font's bytes
    std::optional<CharState> noteMark_;  // a \chftn waiting for its note
    std::size_t shapeLevel_ = 0;         // the stack size inside an open \shp; 0: none
    bool shapeHasContent_ = false;       // text or a paragraph end came inside it
    bool shapeSpoiled_ = false;          // a document-wide word came inside it
    std::size_t shapeInlineStart_ = 0;   // inline_ pieces before that belong before it
    std::size_t shapePictureInline_ = 0; // inline_ pieces before its first picture came
    // The pictures of the open shape (of each shape of a group), held to show
    // with the shape kept whole as long as nothing else came inside it.
    std::vector<std::pair<Picture, RunFormat>> shapePictures_;
    // A text box's text (\shptxt), which the kept shape shows as its picture;
    // its bounds (\shpleft, \shptop, \shpright, \shpbottom) give the size.
    bool shapeHasText_ = false;
    TextBuffer shapeText_;
    std::array<int, 4> shapeBounds_{};
    int footnotes_ = 0;
    int endnotes_ = 0;
    // How the document numbers its notes (\ftnnar, \aftnnrlc, \ftnstartN ...):
    // Word's own defaults are 1, 2, 3 for footnotes and i, ii, iii for endnotes.
    struct NoteNumbering {
        ListKind kind;
        bool chicago = false; // *, †, ‡, §, then doubled
        int start = 1;
        bool eachSection = false; // counts again after each section break
    };
    NoteNumbering footnoteNumbering_{ListKind::Decimal};
    NoteNumbering endnoteNumbering_{ListKind::LowerRoman};
    void noteNumbering(const Token& token);
    // Numbers pieces kept inline and objects, so that alike ones side by
    // side stay two.
    int inlinePieces_ = 0;
    bool paragraphHasContent_ = false;
    // The state of a group that held the paragraph's last text and closed
    // before the \par: "{\pard\qc Title}\par" is a centred paragraph.
    std::optional<GroupState> closedParagraphState_;
    ParaState paraAfterClosedGroup_; // the paragraph's words when a group last closed
    std::size_t lastContentDepth_ = 0;
    std::size_t shown_ = 0; // text, pictures and paragraph ends of the body so far
    // shown_ when the last picture ended: a \nonshppict right after it is
    // that picture again.
    std::size_t shownAtPicture_ = std::size_t(-1);
    std::size_t inlineKept_ = 0; // pieces kept inline so far
    int fieldsRead_ = 0;
    int codePageFont_ = -2; // font number whose code page codePage_ caches
    int codePage_ = 1252;

    // Row definitions by table depth; a nested definition leaves its outer
    // row's alone, since Word defines the outer row again only at its end.
    std::vector<RowFormat> rowDefinitions_ = std::vector<RowFormat>(maxTableDepth + 1);
    int definitionDepth_ = 1;
    CellFormat pendingCell_;
    int borderSide_ = -1;          // the side of pendingCell_ that border words describe
    bool paragraphBorder_ = false; // border words describe a side of the paragraph

    Picture picture_;
    int pictureNibble_ = -1; // the first hex digit of a byte not yet complete
};

} // namespace rtf
