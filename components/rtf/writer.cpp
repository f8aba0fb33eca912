#include "components/rtf/writer.h"

#include "components/rtf/rtfwriter.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/keptrtf.h"
#include "components/rtf/qtformats.h"
#include "components/rtf/rtfoutput.h"
#include "components/rtf/symbolfont.h"
#include "components/rtf/writerformats.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <cmath>
#include <variant>
#include <vector>

namespace rtf {

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

void Writer::body() {
    frameContent(document_.rootFrame()->begin(), 0, "par");
}

namespace {

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

} // namespace

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
    const std::vector<FrameItem> items = frameItems(it);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (const auto* block = std::get_if<QTextBlock>(&items[i])) {
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
    // A list item states the indents it stated in the file even where they
    // are 0: readers weigh them against its level's.
    const std::tuple<std::string_view, int, std::uint8_t> lengths[] = {
        {"li", para.leftIndent, IndentsGiven::left},
        {"ri", para.rightIndent, IndentsGiven::right},
        {"fi", para.firstIndent, IndentsGiven::first},
        {"sb", para.spaceBefore, 0},
        {"sa", para.spaceAfter, 0},
    };
    for (const auto& [name, twips, given] : lengths)
        if (twips != 0 || (para.indentsGiven & given) != 0)
            out_.word(name, twips);
    lineAndTabs(para);
    if (QTextList* list = block.textList())
        listParagraph(block, para, list);
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

QByteArray writeRtf(const QTextDocument& document) {
    return Writer(document).write();
}

} // namespace rtf
