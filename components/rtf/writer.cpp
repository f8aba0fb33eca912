#include "components/rtf/writer.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/keptrtf.h"
#include "components/rtf/qtformats.h"
#include "components/rtf/rtfoutput.h"
#include "components/rtf/symbolfont.h"
#include "components/rtf/units.h"
#include "components/rtf/writerformats.h"

#include <QBuffer>
#include <QImage>
#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <cmath>
#include <variant>
#include <vector>

namespace rtf {
namespace {

int numberingCode(ListKind kind) {
    switch (kind) {
    case ListKind::Bullet:
        return 23;
    case ListKind::UpperRoman:
        return 1;
    case ListKind::LowerRoman:
        return 2;
    case ListKind::UpperAlpha:
        return 3;
    case ListKind::LowerAlpha:
        return 4;
    default:
        return 0;
    }
}

int listLevel(const QTextList* list) {
    return std::clamp(list->format().indent() - 1, 0, 8);
}

// One Qt list becomes one Word list of its own kind; its number is its \ls.
// The format is the one its last item was written with: the list may be gone
// by the time the list table is written from a document written in pieces.
struct WrittenList {
    QPointer<QTextList> list;
    ListKind kind;
    QTextListFormat format;
};

// The bullet a list's style draws.
char16_t bulletOf(const QTextListFormat& format) {
    switch (format.style()) {
    case QTextListFormat::ListCircle:
        return u'\u25E6';
    case QTextListFormat::ListSquare:
        return u'\u25AA';
    default:
        return u'\u2022';
    }
}

// The text around a list's number; Qt shows "." after it unless told otherwise.
QString numberPrefix(const QTextListFormat& format) {
    return format.hasProperty(QTextFormat::ListNumberPrefix) ? format.numberPrefix() : QString();
}
QString numberSuffix(const QTextListFormat& format) {
    return format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix()
                                                             : QStringLiteral(".");
}

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
    void listParagraph(const QTextBlock& block, QTextList* list);
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
    QHash<const QTextList*, int> listNumbers_;
    WrittenFormat current_;
    bool formatWritten_ = false;
};

QByteArray Writer::keptRtf(bool atEnd) {
    QByteArray written;
    for (const KeptRtf& kept : keptRtfOf(document_)) {
        if (kept.atEnd != atEnd)
            continue;
        written += renumbered(kept);
        written += '\n';
    }
    return written;
}

QByteArray Writer::renumbered(const KeptRtf& kept) {
    return renumber(
        std::string_view(kept.rtf.constData(), static_cast<std::size_t>(kept.rtf.size())),
        [&](int n) { return tables_.fontNumber(kept.fonts.value(n)); },
        [&](int n) { return tables_.colorNumber(kept.colors.value(n)); });
}

int Writer::listNumber(QTextList* list) {
    int number = listNumbers_.value(list);
    // A list gone since may have left its address to a new one.
    if (number == 0 || lists_[static_cast<std::size_t>(number - 1)].list != list) {
        lists_.push_back({list, {}, {}});
        number = static_cast<int>(lists_.size());
        listNumbers_.insert(list, number);
    }
    WrittenList& written = lists_[static_cast<std::size_t>(number - 1)];
    written.kind = listKindOf(list);
    written.format = list->format();
    return number;
}

void Writer::header() {
    out_.raw("{");
    for (std::string_view word : {"rtf1", "ansi"})
        out_.word(word);
    out_.word("ansicpg", 1252);
    // A \deff that the table lacks makes LibreOffice show a font named "0".
    if (!tables_.fonts().value(0).isEmpty())
        out_.word("deff", 0);
    out_.word("uc", 1);
    out_.endLine();
    fontTable();
    colorTable();
    listTables();
}

void Writer::fontTable() {
    out_.raw("{");
    out_.word("fonttbl");
    for (qsizetype i = 0; i < tables_.fonts().size(); ++i) {
        if (tables_.fonts()[i].isEmpty())
            continue; // the reader's own default
        out_.raw("{");
        out_.word("f", static_cast<int>(i));
        out_.word("fnil");
        // The Symbol font's bytes are its own signs (SYMBOL_CHARSET).
        out_.word("fcharset", isSymbolFont(i) ? 2 : 0);
        out_.text(tables_.fonts()[i]);
        out_.raw(";}");
    }
    out_.raw("}");
    out_.endLine();
}

void Writer::colorTable() {
    out_.raw("{");
    out_.word("colortbl");
    out_.raw(";");
    for (QRgb rgb : tables_.colors()) {
        out_.word("red", qRed(rgb));
        out_.word("green", qGreen(rgb));
        out_.word("blue", qBlue(rgb));
        out_.raw(";");
    }
    out_.raw("}");
    out_.endLine();
}

void Writer::listTables() {
    if (lists_.empty())
        return;
    out_.raw("{\\*");
    out_.word("listtable");
    out_.endLine();
    for (std::size_t n = 0; n < lists_.size(); ++n) {
        const ListKind kind = lists_[n].kind;
        const QTextListFormat& format = lists_[n].format;
        // \leveltext is its length, then the label with the level's number
        // as the byte of the level.
        const QString prefix = numberPrefix(format).left(20);
        const QString suffix = numberSuffix(format).left(20);
        out_.raw("{");
        out_.word("list");
        out_.word("listtemplateid", static_cast<int>(n + 1));
        out_.word("listsimple", 0);
        for (int level = 0; level < 9; ++level) {
            out_.raw("{");
            out_.word("listlevel");
            out_.word("levelnfc", numberingCode(kind));
            out_.word("levelnfcn", numberingCode(kind));
            out_.word("leveljc", 0);
            out_.word("levelfollow", 0);
            out_.word("levelstartat", 1);
            out_.raw("{\\leveltext");
            if (kind == ListKind::Bullet) {
                out_.raw("\\'01");
                out_.text(QString(QChar(bulletOf(format))));
                out_.raw(";}{\\levelnumbers;}");
            } else {
                const auto hexByte = [](int value) {
                    static constexpr char digits[] = "0123456789abcdef";
                    return std::string{'\\', '\'', digits[value >> 4], digits[value & 15]};
                };
                out_.raw(hexByte(static_cast<int>(prefix.size() + 1 + suffix.size())));
                out_.text(prefix);
                out_.raw(hexByte(level));
                out_.text(suffix);
                out_.raw(";}{\\levelnumbers" + hexByte(static_cast<int>(prefix.size() + 1)) + ";}");
            }
            out_.word("fi", -360);
            out_.word("li", 720 * (level + 1));
            out_.raw("}");
            out_.endLine();
        }
        out_.word("listid", static_cast<int>(n + 1));
        out_.raw("}");
        out_.endLine();
    }
    out_.raw("}{\\*");
    out_.word("listoverridetable");
    for (std::size_t n = 0; n < lists_.size(); ++n) {
        out_.raw("{");
        out_.word("listoverride");
        out_.word("listid", static_cast<int>(n + 1));
        out_.word("listoverridecount", 0);
        out_.word("ls", static_cast<int>(n + 1));
        out_.raw("}");
    }
    out_.raw("}");
    out_.endLine();
}

void Writer::body() {
    frameContent(document_.rootFrame()->begin(), 0, "par");
}

// The frame of the root frame that holds the block, or none when the block
// is the root frame's own.
QTextFrame* topLevelFrameOf(const QTextDocument& document, const QTextBlock& block) {
    QTextFrame* root = document.rootFrame();
    QTextFrame* frame = document.frameAt(block.position());
    if (frame == nullptr || frame == root)
        return nullptr;
    while (frame->parentFrame() != root)
        frame = frame->parentFrame();
    return frame;
}

std::pair<int, int> Writer::item(int position) {
    formatWritten_ = false;
    const QTextBlock block = document_.findBlock(position);
    if (QTextFrame* frame = topLevelFrameOf(document_, block)) {
        if (const auto* table = qobject_cast<QTextTable*>(frame))
            this->table(table, 1);
        else
            frameContent(frame->begin(), 0, "par");
        return {frame->firstPosition(), frame->lastPosition() + 1};
    }
    const int end = block.position() + block.length();
    const QTextBlock next = document_.findBlock(end);
    if (!isBeforeFirstTable(block, block.position() == 0,
                            next.isValid() ? topLevelFrameOf(document_, next) : nullptr))
        paragraph(block, 0, "par");
    return {block.position(), end};
}

QByteArrayList Writer::file(QByteArrayList body) {
    // Kept pieces number their fonts and colours into the tables, which the
    // header then lists.
    QByteArray end = keptRtf(true);
    end += "}\r\n";
    const QByteArray start = keptRtf(false);
    out_ = RtfOutput();
    header();
    body.prepend(start);
    body.prepend(out_.take());
    body.append(end);
    return body;
}

void Writer::frameContent(QTextFrame::iterator it, int depth, std::string_view lastEnd) {
    std::vector<std::variant<QTextBlock, QTextFrame*>> items;
    for (; !it.atEnd(); ++it) {
        if (QTextFrame* frame = it.currentFrame())
            items.emplace_back(frame);
        else
            items.emplace_back(it.currentBlock());
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (const auto* block = std::get_if<QTextBlock>(&items[i])) {
            // One with a format of its own was in the file and is written.
            if (items.size() > 1 && std::holds_alternative<QTextFrame*>(items[1]) &&
                isBeforeFirstTable(*block, i == 0, std::get<QTextFrame*>(items[1])))
                continue;
            paragraph(*block, depth, i + 1 == items.size() ? lastEnd : "par");
        } else if (const auto* table = qobject_cast<QTextTable*>(std::get<QTextFrame*>(items[i]))) {
            this->table(table, depth + 1);
        } else {
            // Other frames hold paragraphs of the page like any other.
            frameContent(std::get<QTextFrame*>(items[i])->begin(), depth, "par");
        }
    }
}

void Writer::paragraph(const QTextBlock& block, int depth, std::string_view end) {
    const ParagraphFormat para = paragraphFormatOf(block, depth);
    // What the file kept before the paragraph's first text stood between
    // paragraphs, ahead of the list label too, where readers expect none.
    KeptRtf before;
    if (const auto first = block.begin(); !first.atEnd())
        before = runFormatOf(first.fragment().charFormat(), document_.defaultFont()).before;
    if (!before.rtf.isEmpty())
        out_.raw(renumbered(before).toStdString());
    out_.word("pard");
    // The paragraph's style and the words it keeps come first, as Word writes them.
    if (!para.kept.rtf.isEmpty())
        out_.words(renumbered(para.kept));
    if (depth > 0)
        out_.word("intbl");
    if (depth > 1)
        out_.word("itap", depth);
    if (para.rightToLeft)
        out_.word("rtlpar");
    static constexpr std::string_view alignments[] = {"", "qc", "qr", "qj"};
    if (para.alignment != Alignment::Left)
        out_.word(alignments[static_cast<int>(para.alignment)]);
    const std::pair<std::string_view, int> lengths[] = {
        {"li", para.leftIndent},  {"ri", para.rightIndent}, {"fi", para.firstIndent},
        {"sb", para.spaceBefore}, {"sa", para.spaceAfter},
    };
    for (const auto& [name, twips] : lengths)
        if (twips != 0)
            out_.word(name, twips);
    lineAndTabs(para);
    if (QTextList* list = block.textList())
        listParagraph(block, list);
    bool empty = true;
    // A piece kept before text, or stood for by it, goes into the file once
    // even where a format change has split its text in two.
    KeptRtf object;
    qsizetype objectLeft = 0; // characters of the object's stand-in still to skip
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat charFormat = fragment.charFormat();
        const RunFormat run = runFormatOf(charFormat, document_.defaultFont());
        field(run.field);
        const WrittenFormat written = tables_.add(run);
        const KeptRtf& fragmentObject = run.object;
        const bool newObject = !fragmentObject.rtf.isEmpty() && fragmentObject != object;
        if (!newObject)
            format(written);
        const KeptRtf& fragmentBefore = run.before;
        if (!fragmentBefore.rtf.isEmpty() && fragmentBefore != before)
            out_.raw(renumbered(fragmentBefore).toStdString());
        before = fragmentBefore;
        QString text = fragment.text();
        if (newObject) {
            // A group of its own with its format: LibreOffice joins the
            // paragraph to the next when a note's raised format is still in
            // effect at the paragraph's end.
            const WrittenFormat outside = current_;
            const bool outsideWritten = formatWritten_;
            out_.raw("{");
            format(written);
            out_.raw(renumbered(fragmentObject).toStdString());
            out_.raw("}");
            current_ = outside;
            formatWritten_ = outsideWritten;
            objectLeft = fragmentObject.shownAs.size();
        }
        if (fragmentObject.rtf.isEmpty()) {
            objectLeft = 0;
        } else {
            const qsizetype skip = std::min(objectLeft, text.size());
            text.remove(0, skip);
            objectLeft -= skip;
            if (!text.isEmpty())
                format(written);
        }
        object = fragmentObject;
        if (charFormat.isImageFormat()) {
            for (QChar c : text)
                if (c == QChar::ObjectReplacementCharacter)
                    picture(charFormat.toImageFormat());
        } else {
            out_.text(text, isSymbolFont(written.font));
        }
        empty = false;
    }
    field({});
    if (!para.beforeEnd.rtf.isEmpty())
        out_.raw(renumbered(para.beforeEnd).toStdString());
    if (empty) // what the empty paragraph shows, and typing there gets
        format(tables_.add(runFormatOf(block.charFormat(), document_.defaultFont())));
    out_.word(end);
    out_.endLine();
}

void Writer::cellBorders(const CellFormat& cell) {
    const std::pair<std::string_view, const CellBorder*> sides[] = {
        {"clbrdrt", &cell.top},
        {"clbrdrl", &cell.left},
        {"clbrdrb", &cell.bottom},
        {"clbrdrr", &cell.right},
    };
    static constexpr std::string_view styles[] = {"", "brdrs", "brdrdb", "brdrdot", "brdrdash"};
    for (const auto& [word, border] : sides) {
        if (border->width <= 0 || border->style == BorderStyle::None)
            continue;
        out_.word(word);
        out_.word(styles[static_cast<int>(border->style)]);
        out_.word("brdrw", border->width);
        if (const int color = tables_.colorNumber(border->color))
            out_.word("brdrcf", color);
    }
}

void Writer::rowDefinition(const RowFormat& row) {
    out_.word("trowd");
    if (!row.cells.empty()) {
        out_.word("trgaph", row.gap);
        out_.word("trleft", row.left);
        if (row.alignment == Alignment::Center)
            out_.word("trqc");
        else if (row.alignment == Alignment::Right)
            out_.word("trqr");
    }
    for (const CellFormat& cell : row.cells) {
        if (cell.verticalMergeFirst)
            out_.word("clvmgf");
        else if (cell.verticalMerged)
            out_.word("clvmrg");
        if (cell.alignment == CellAlignment::Center)
            out_.word("clvertalc");
        else if (cell.alignment == CellAlignment::Bottom)
            out_.word("clvertalb");
        cellBorders(cell);
        if (const int background = tables_.colorNumber(cell.background))
            out_.word("clcbpat", background);
        out_.word("cellx", cell.rightEdge);
    }
    out_.endLine();
}

void Writer::table(const QTextTable* table, int depth) {
    const std::vector<int> grid = tableGridOf(table);
    const std::string_view cellEnd = depth > 1 ? "nestcell" : "cell";
    for (int r = 0; r < table->rows(); ++r) {
        // Word and LibreOffice want the definition of an outer row before its
        // cells, and a nested row's inside \nesttableprops after them.
        if (depth == 1)
            rowDefinition(rowFormatOf(table, r, grid));
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.column() != c || isFillerCell(cell))
                continue;
            if (cell.row() != r) {
                // The lower part of a vertically merged cell holds nothing.
                out_.word("pard");
                out_.word("intbl");
                if (depth > 1)
                    out_.word("itap", depth);
                out_.word(cellEnd);
                out_.endLine();
                continue;
            }
            frameContent(cell.begin(), depth, cellEnd);
        }
        if (depth == 1) {
            out_.word("row");
        } else {
            out_.raw("{\\*");
            out_.word("nesttableprops");
            rowDefinition(rowFormatOf(table, r, grid));
            out_.word("nestrow");
            out_.raw("}{");
            out_.word("nonesttables");
            out_.word("par");
            out_.raw("}");
        }
        out_.endLine();
    }
}

void Writer::picture(const QTextImageFormat& image) {
    const std::optional<Picture> picture = pictureOf(image, document_);
    if (!picture)
        return;
    const Picture& header = *picture;
    const QByteArray& data = header.data;
    out_.raw("{");
    out_.word("pict");
    static const std::pair<PictureKind, std::string_view> kinds[] = {
        {PictureKind::Png, "pngblip"},     {PictureKind::Jpeg, "jpegblip"},
        {PictureKind::Emf, "emfblip"},     {PictureKind::Wmf, "wmetafile"},
        {PictureKind::MacPict, "macpict"}, {PictureKind::Os2Metafile, "pmmetafile"},
        {PictureKind::Dib, "dibitmap"},    {PictureKind::Bitmap, "wbitmap"},
    };
    for (const auto& [kind, word] : kinds) {
        if (kind != header.kind)
            continue;
        const bool parameter = kind == PictureKind::Wmf || kind == PictureKind::Os2Metafile ||
                               kind == PictureKind::Dib || kind == PictureKind::Bitmap;
        if (parameter)
            out_.word(word, header.kindParameter);
        else
            out_.word(word);
    }
    const std::pair<std::string_view, int> numbers[] = {
        {"picw", header.width},
        {"pich", header.height},
        {"picwgoal", header.goalWidth},
        {"pichgoal", header.goalHeight},
        {"wbmbitspixel", header.bitsPerPixel},
        {"wbmplanes", header.planes},
        {"wbmwidthbytes", header.widthBytes},
        {"piccropl", header.cropLeft},
        {"piccropr", header.cropRight},
        {"piccropt", header.cropTop},
        {"piccropb", header.cropBottom},
    };
    for (const auto& [word, value] : numbers)
        if (value != 0)
            out_.word(word, value);
    if (header.scaleX != 100)
        out_.word("picscalex", header.scaleX);
    if (header.scaleY != 100)
        out_.word("picscaley", header.scaleY);
    out_.endLine();
    out_.hex(data);
    out_.raw("}");
}

void Writer::field(const KeptRtf& instruction) {
    if (instruction == field_)
        return;
    if (!field_.rtf.isEmpty()) {
        out_.raw("}}");
        // The group's end takes the format back to where it opened.
        current_ = formatBeforeField_;
        formatWritten_ = formatWrittenBeforeField_;
    }
    field_ = instruction;
    if (instruction.rtf.isEmpty())
        return;
    formatBeforeField_ = current_;
    formatWrittenBeforeField_ = formatWritten_;
    out_.raw("{");
    out_.word("field");
    out_.raw(renumbered(instruction).toStdString());
    out_.raw("{");
    out_.word("fldrslt");
}

void Writer::lineAndTabs(const ParagraphFormat& para) {
    const LineSpacing& line = para.line;
    switch (line.rule) {
    case LineRule::Single:
        break;
    case LineRule::Proportional:
        out_.word("sl", static_cast<int>(std::lround(line.amount * 240.0 / 100.0)));
        out_.word("slmult", 1);
        break;
    case LineRule::AtLeast:
        out_.word("sl", line.amount);
        out_.word("slmult", 0);
        break;
    case LineRule::Exact:
        out_.word("sl", -line.amount);
        out_.word("slmult", 0);
        break;
    }
    for (const TabStop& stop : para.tabs) {
        if (stop.kind != TabKind::Left)
            out_.word(tabKindWords[static_cast<int>(stop.kind)]);
        if (stop.leader != TabLeader::None)
            out_.word(tabLeaderWords[static_cast<int>(stop.leader)]);
        out_.word("tx", stop.position);
    }
}

void Writer::listParagraph(const QTextBlock& block, QTextList* list) {
    const int number = listNumber(list);
    const ListKind kind = lists_[static_cast<std::size_t>(number - 1)].kind;
    out_.word("ls", number);
    out_.word("ilvl", listLevel(list));
    // The marker as text, for readers that know no lists: one fallback only,
    // so that no reader shows the marker twice.
    out_.raw("{");
    out_.word("listtext");
    if (kind == ListKind::Bullet)
        out_.text(QString(QChar(bulletOf(list->format()))));
    else
        out_.text(list->itemText(block));
    out_.word("tab");
    out_.raw("}");
    // No older \pn form beside it: LibreOffice then reads every numbered
    // item as a bullet.
}

// Character formats carry on from run to run (and across paragraphs): after
// the first run's whole format, a run writes only what differs from the text
// before it. Ending a super- or subscript with \nosupersub, never \plain,
// also keeps LibreOffice from running the rest of the paragraph into the next.
void Writer::format(const WrittenFormat& f) {
    if (formatWritten_ && f == current_)
        return;
    // Words kept from the file cannot be undone one by one: when they change
    // (other than by adding to none), the run starts from \plain. So does
    // text in the font the file left to the reader, which no \f names.
    const bool unnamedFont = tables_.fonts().value(f.font).isEmpty();
    const bool whole = !formatWritten_ || (!current_.kept.isEmpty() && f.kept != current_.kept) ||
                       (unnamedFont && f.font != current_.font);
    if (whole && formatWritten_ && current_.position != VerticalPosition::Normal)
        out_.word("nosupersub"); // never \plain straight after raised text
    const WrittenFormat was = whole ? WrittenFormat{} : current_;
    current_ = f;
    formatWritten_ = true;
    if (whole)
        out_.word("plain");
    if ((whole || f.font != was.font) && !unnamedFont)
        out_.word("f", f.font);
    if (whole || f.halfPoints != was.halfPoints)
        out_.word("fs", f.halfPoints);
    auto toggle = [this](bool on, bool before, std::string_view word, std::string_view off) {
        if (on != before)
            on ? out_.word(word) : out_.word(off);
    };
    toggle(f.bold, was.bold, "b", "b0");
    toggle(f.italic, was.italic, "i", "i0");
    if (f.underline != was.underline || (f.underline && f.underlineStyle != was.underlineStyle))
        out_.word(f.underline ? underlineWords[f.underlineStyle] : "ulnone");
    toggle(f.strike, was.strike, "strike", "strike0");
    if (f.color != was.color)
        out_.word("cf", f.color);
    if (f.background != was.background)
        out_.word("highlight", f.background);
    if (f.caps != was.caps) {
        if (was.caps != Caps::None)
            out_.word(was.caps == Caps::All ? "caps" : "scaps", 0);
        if (f.caps != Caps::None)
            out_.word(f.caps == Caps::All ? "caps" : "scaps");
    }
    if (f.spacing != was.spacing)
        out_.word("expndtw", f.spacing);
    if (f.raise != was.raise)
        f.raise >= 0 ? out_.word("up", f.raise) : out_.word("dn", -f.raise);
    if (f.kept != was.kept)
        out_.words(f.kept);
    if (f.position != was.position)
        out_.word(f.position == VerticalPosition::Super ? "super"
                  : f.position == VerticalPosition::Sub ? "sub"
                                                        : "nosupersub");
}

} // namespace

QByteArray writeRtf(const QTextDocument& document) {
    return Writer(document).write();
}

struct IncrementalWriter::WriterBox {
    explicit WriterBox(const QTextDocument& document) : writer(document) {}
    Writer writer;
};

IncrementalWriter::IncrementalWriter(const QTextDocument& document) : document_(&document) {
    changes_ = QObject::connect(
        &document, &QTextDocument::contentsChange,
        [this](int from, int removed, int added) { changed(from, removed, added); });
    restart();
}

IncrementalWriter::~IncrementalWriter() {
    QObject::disconnect(changes_);
}

void IncrementalWriter::restart() {
    pieces_.clear();
    writer_.reset();
    if (!document_)
        return;
    defaultFont_ = document_->defaultFont();
    namesDefaultFont_ = namesDefaultFont(*document_);
    writer_ = std::make_unique<WriterBox>(*document_);
}

void IncrementalWriter::changed(int from, int removed, int added) {
    // The piece that ends where the change begins goes too: whether an empty
    // paragraph is written depends on what follows it.
    auto first = std::lower_bound(pieces_.begin(), pieces_.end(), from,
                                  [](const Piece& piece, int at) { return piece.end < at; });
    auto last = first;
    while (last != pieces_.end() && last->start <= from + removed)
        ++last;
    const int shift = added - removed;
    for (auto it = pieces_.erase(first, last); it != pieces_.end(); ++it) {
        it->start += shift;
        it->end += shift;
    }
}

bool IncrementalWriter::write(const QDeadlineTimer& deadline) {
    if (!document_)
        return false;
    // The font the text without one shows decides the whole font table.
    if (document_->defaultFont() != defaultFont_ ||
        namesDefaultFont(*document_) != namesDefaultFont_)
        restart();
    const int total = document_->characterCount();
    std::size_t i = 0;
    int position = 0;
    bool wrote = false;
    while (position < total) {
        // Skip what is written; write up to the next piece or the deadline.
        if (i < pieces_.size() && pieces_[i].start == position) {
            position = pieces_[i++].end;
            continue;
        }
        if (wrote && deadline.hasExpired())
            return false;
        wrote = true;
        const auto [start, end] = writer_->writer.item(position);
        if (end <= position) { // never seen; a loop here would hang the editor
            restart();
            return false;
        }
        Piece piece{start, end, writer_->writer.takeItem()};
        ++piecesWritten_;
        // An edit the pieces did not foresee moved an item's bounds: the
        // pieces it overlaps are written again.
        while (i > 0 && pieces_[i - 1].end > start)
            pieces_.erase(pieces_.begin() + static_cast<std::ptrdiff_t>(--i));
        auto next = pieces_.begin() + static_cast<std::ptrdiff_t>(i);
        while (next != pieces_.end() && next->start < end)
            next = pieces_.erase(next);
        pieces_.insert(next, std::move(piece));
        ++i;
        position = end;
    }
    pieces_.resize(i); // anything past the end is stale
    return true;
}

QByteArrayList IncrementalWriter::file() {
    QByteArrayList body;
    body.reserve(static_cast<qsizetype>(pieces_.size()));
    for (const Piece& piece : pieces_)
        body.append(piece.rtf);
    return writer_->writer.file(std::move(body));
}

} // namespace rtf
