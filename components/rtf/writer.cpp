#include "components/rtf/writer.h"

#include "components/rtf/qtsink.h"
#include "components/rtf/rtfoutput.h"
#include "components/rtf/writerformats.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <cmath>
#include <vector>

namespace rtf {
namespace {

int toTwips(qreal pixels) {
    return static_cast<int>(std::lround(pixels * twipsPerPixel));
}

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

std::string_view pnStyleWord(ListKind kind) {
    switch (kind) {
    case ListKind::UpperRoman:
        return "pnucrm";
    case ListKind::LowerRoman:
        return "pnlcrm";
    case ListKind::UpperAlpha:
        return "pnucltr";
    case ListKind::LowerAlpha:
        return "pnlcltr";
    default:
        return "pndec";
    }
}

int listLevel(const QTextList* list) {
    return std::clamp(list->format().indent() - 1, 0, 8);
}

// One Qt list becomes one Word list of its own kind; its number is its \ls.
struct WrittenList {
    const QTextList* list;
    ListKind kind;
};

class Writer {
public:
    explicit Writer(const QTextDocument& document)
        : document_(document), tables_(document.defaultFont()) {}

    QByteArray write() {
        collect();
        header();
        body();
        out_.raw("}");
        out_.endLine();
        return out_.take();
    }

private:
    void collect();
    void header();
    void fontTable();
    void colorTable();
    void listTables();
    void body();
    void paragraph(const QTextBlock& block);
    void listParagraph(const QTextBlock& block, const QTextList* list);
    void format(const WrittenFormat& format);

    const QTextDocument& document_;
    WriterTables tables_;
    RtfOutput out_;
    std::vector<WrittenFormat> formats_; // per fragment, or per empty block, in order
    std::size_t nextFormat_ = 0;
    std::vector<WrittenList> lists_;
    QHash<const QTextList*, int> listNumbers_;
    WrittenFormat current_;
    bool formatWritten_ = false;
};

void Writer::collect() {
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
        if (const QTextList* list = block.textList(); list && !listNumbers_.contains(list)) {
            lists_.push_back({list, listKindOf(list)});
            listNumbers_.insert(list, static_cast<int>(lists_.size()));
        }
        bool empty = true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            formats_.push_back(tables_.add(it.fragment().charFormat()));
            empty = false;
        }
        if (empty)
            formats_.push_back(tables_.add(block.charFormat()));
    }
}

void Writer::header() {
    out_.raw("{");
    for (std::string_view word : {"rtf1", "ansi"})
        out_.word(word);
    out_.word("ansicpg", 1252);
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
        out_.raw("{");
        out_.word("f", static_cast<int>(i));
        out_.word("fnil");
        out_.word("fcharset", 0);
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
            if (kind == ListKind::Bullet) {
                out_.raw("{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}");
            } else {
                out_.raw("{\\leveltext\\'02\\'0" + std::to_string(level) + ".;}");
                out_.raw("{\\levelnumbers\\'01;}");
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
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next())
        paragraph(block);
}

void Writer::paragraph(const QTextBlock& block) {
    const QTextBlockFormat para = block.blockFormat();
    out_.word("pard");
    const Qt::Alignment align = para.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignHCenter)
        out_.word("qc");
    else if (align & (Qt::AlignRight | Qt::AlignTrailing))
        out_.word("qr");
    else if (align & Qt::AlignJustify)
        out_.word("qj");
    const std::pair<std::string_view, qreal> lengths[] = {
        {"li", para.leftMargin()}, {"ri", para.rightMargin()},  {"fi", para.textIndent()},
        {"sb", para.topMargin()},  {"sa", para.bottomMargin()},
    };
    for (const auto& [name, pixels] : lengths)
        if (const int twips = toTwips(pixels))
            out_.word(name, twips);
    if (const QTextList* list = block.textList())
        listParagraph(block, list);
    bool empty = true;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        format(formats_[nextFormat_++]);
        out_.text(it.fragment().text());
        empty = false;
    }
    if (empty)
        format(formats_[nextFormat_++]); // what the empty paragraph shows, and typing there gets
    out_.word("par");
    out_.endLine();
}

void Writer::listParagraph(const QTextBlock& block, const QTextList* list) {
    const int number = listNumbers_.value(list);
    const ListKind kind = lists_[static_cast<std::size_t>(number - 1)].kind;
    out_.word("ls", number);
    out_.word("ilvl", listLevel(list));
    // The marker as text, for readers that know no lists: one fallback only,
    // so that no reader shows the marker twice.
    out_.raw("{");
    out_.word("listtext");
    if (kind == ListKind::Bullet)
        out_.text(QStringLiteral("\u2022"));
    else
        out_.text(list->itemText(block));
    out_.word("tab");
    out_.raw("}");
    // Word 6 and rich edit controls read the older \pn form of the same list.
    out_.raw("{\\*");
    out_.word("pn");
    if (kind == ListKind::Bullet) {
        out_.word("pnlvlblt");
        out_.word("pnindent", 360);
        out_.raw("{\\pntxtb\\'95}");
    } else {
        out_.word("pnlvlbody");
        out_.word(pnStyleWord(kind));
        out_.word("pnstart", 1);
        out_.word("pnindent", 360);
        out_.raw("{\\pntxta.}");
    }
    out_.raw("}");
}

void Writer::format(const WrittenFormat& f) {
    if (formatWritten_ && f == current_)
        return;
    current_ = f;
    formatWritten_ = true;
    out_.word("plain");
    out_.word("f", f.font);
    out_.word("fs", f.halfPoints);
    if (f.bold)
        out_.word("b");
    if (f.italic)
        out_.word("i");
    if (f.underline)
        out_.word("ul");
    if (f.strike)
        out_.word("strike");
    if (f.color)
        out_.word("cf", f.color);
    if (f.background)
        out_.word("highlight", f.background);
    if (f.position == VerticalPosition::Super)
        out_.word("super");
    else if (f.position == VerticalPosition::Sub)
        out_.word("sub");
}

} // namespace

QByteArray writeRtf(const QTextDocument& document) {
    return Writer(document).write();
}

} // namespace rtf
