#include "components/rtf/writer.h"

#include "components/rtf/rtfwriter.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/documentsource.h"
#include "components/rtf/keptrtf.h"

#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace rtf {

QByteArray Writer::keptRtf(KeptRtf::Place place) {
    QByteArray written;
    for (const KeptRtf& kept : kept_) {
        if (kept.place != place)
            continue;
        written += renumbered(kept);
        written += '\n';
    }
    return written;
}

QByteArray Writer::renumbered(const KeptRtf& kept) {
    Renumbering numbers;
    numbers.font = [&](int n) { return tables_.fontNumber(kept.fonts.value(n)); };
    numbers.color = [&](int n) { return tables_.colorNumber(kept.colors.value(n)); };
    // The file's lists take numbers that the lists written do not use.
    numbers.list = [&](int n) {
        auto [at, added] = keptListNumbers_.try_emplace(n);
        if (added)
            at->second = ++listsNumbered_;
        return at->second;
    };
    numbers.listId = [&](int n) {
        auto [at, added] = keptListIds_.try_emplace(n);
        if (added)
            at->second = static_cast<int>(lists_.size() + keptListIds_.size());
        return at->second;
    };
    return renumber(
        std::string_view(kept.rtf.constData(), static_cast<std::size_t>(kept.rtf.size())), numbers);
}

void Writer::header() {
    // The lists kept whole name fonts, which the font table must list.
    const QByteArray keptLists = keptRtf(KeptRtf::Place::List);
    const QByteArray keptOverrides = keptRtf(KeptRtf::Place::ListOverride);
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
    listTables(keptLists, keptOverrides);
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

void Writer::noDefaultFont() {
    // Told before any text, and again with the kept pieces of a document
    // written in pieces: the tables begin again without the font, once.
    if (namesDefaultFont_)
        tables_ = WriterTables(defaultFont_, false);
    namesDefaultFont_ = false;
}

void Writer::endPending(std::string_view end) {
    if (!endPending_)
        return;
    endPending_ = false;
    out_.word(end);
    out_.endLine();
}

QStringView Writer::beginRun(const RunFormat& run, QStringView text) {
    endPending();
    fields(run.fields);
    const WrittenFormat written = tables_.add(run);
    // A piece stood for by text goes into the file once, even where a format
    // change has split its text in two.
    const bool newObject = !run.object.rtf.isEmpty() && run.object != object_;
    if (!newObject)
        format(written);
    if (!paragraphStarted_) {
        // What the file kept before the paragraph's first text stood between
        // paragraphs, ahead of the list label too, where readers expect none.
        paragraphStarted_ = true;
        headBefore_ = run.before;
    } else if (!run.before.rtf.isEmpty() && run.before != lastBefore_) {
        runs_.raw(renumbered(run.before).toStdString());
    }
    lastBefore_ = run.before;
    if (newObject) {
        // A group of its own with its format: LibreOffice joins the paragraph
        // to the next when a note's raised format is still in effect at its end.
        const WrittenFormat outside = current_;
        const bool outsideWritten = formatWritten_;
        runs_.raw("{");
        format(written);
        runs_.raw(renumbered(run.object).toStdString());
        runs_.raw("}");
        current_ = outside;
        formatWritten_ = outsideWritten;
        objectLeft_ = run.object.shownAs;
    }
    object_ = run.object;
    if (run.object.rtf.isEmpty()) {
        objectLeft_.clear();
        return text;
    }
    // The piece's own characters are in its group already; what was typed
    // among them (into a note's number "10") is text of its own.
    typed_.clear();
    for (QChar c : text) {
        if (!objectLeft_.isEmpty() && c == objectLeft_.front())
            objectLeft_.remove(0, 1);
        else
            typed_ += c;
    }
    if (!typed_.isEmpty())
        format(written);
    return typed_;
}

void Writer::text(QStringView text, const RunFormat& run) {
    const QStringView rest = beginRun(run, text); // sets the font the text goes in
    runs_.text(rest, isSymbolFont(current_.font));
}

void Writer::picture(const Picture& picture, const RunFormat& format) {
    if (!beginRun(format, u"\uFFFC").isEmpty())
        writePicture(picture);
}

void Writer::fieldsGoOn(const KeptRtfList& fields) {
    goOn_ = 0;
    while (goOn_ < openFields_.size() && goOn_ < fields.size() &&
           openFields_[goOn_].instruction == fields[goOn_])
        ++goOn_;
}

void Writer::endParagraph(const ParagraphFormat& para, const RunFormat& markFormat) {
    endPending();
    KeptRtfList goingOn;
    if (para.tableDepth == 0)
        for (qsizetype i = 0; i < goOn_; ++i)
            goingOn.append(openFields_[i].instruction);
    fields(goingOn);
    if (!para.beforeEnd.rtf.isEmpty())
        runs_.raw(renumbered(para.beforeEnd).toStdString());
    if (!paragraphStarted_) // what the empty paragraph shows, and typing there gets
        format(tables_.add(markFormat));
    if (para.tableDepth > 0 && rowStart_ < 0)
        rowStart_ = out_.size();
    if (!headBefore_.rtf.isEmpty())
        out_.raw(renumbered(headBefore_).toStdString());
    const qsizetype wordsStart = out_.size();
    out_.word("pard");
    // The paragraph's style and the words it keeps come first, as Word writes them.
    if (!para.kept.rtf.isEmpty())
        out_.words(renumbered(para.kept));
    if (para.tableDepth > 0)
        out_.word("intbl");
    if (para.tableDepth > 1)
        out_.word("itap", para.tableDepth);
    if (para.rightToLeft)
        out_.word("rtlpar");
    static constexpr std::string_view alignments[] = {"", "qc", "qr", "qj"};
    if (para.alignment != Alignment::Left)
        out_.word(alignments[static_cast<int>(para.alignment)]);
    // A list item states the indents it stated in the file even where they
    // are 0: readers weigh them against its level's.
    const bool leftAsStart = (para.indentsGiven & IndentsGiven::leftAsStart) != 0;
    const std::tuple<std::string_view, int, std::uint8_t> lengths[] = {
        {leftAsStart ? "lin" : "li", para.leftIndent, IndentsGiven::left},
        {"ri", para.rightIndent, IndentsGiven::right},
        {"fi", para.firstIndent, IndentsGiven::first},
        {"sb", para.spaceBefore, 0},
        {"sa", para.spaceAfter, 0},
    };
    for (const auto& [name, twips, given] : lengths)
        if (twips != 0 || (para.indentsGiven & given) != 0)
            out_.word(name, twips);
    lineAndTabs(para);
    // pandoc ends a list at a \plain after \ls: the first run's goes before.
    if (para.list != ListKind::None && restateAt_.isEmpty() && runs_.dropLeadingWord("plain"))
        out_.word("plain");
    const qsizetype wordsEnd = listParagraph(para);
    if (!restateAt_.isEmpty()) {
        QByteArray words = out_.written(wordsStart, wordsEnd).toByteArray();
        words.remove(0, words.indexOf('\\')); // a delimiter or line break before \pard
        words += ' ';
        for (auto at = restateAt_.crbegin(); at != restateAt_.crend(); ++at)
            runs_.insert(*at, words);
    }
    carried_ = goingOn.size();
    goOn_ = 0;
    restateAt_.clear();
    out_.append(runs_);
    paragraphStarted_ = false;
    headBefore_ = lastBefore_ = object_ = KeptRtf{};
    objectLeft_.clear();
    endPending_ = true;
}

void Writer::endCell(int depth) {
    endPending(depth > 1 ? "nestcell" : "cell");
    numbering_.endUnnamed();
}

void Writer::endRow(const RowFormat& row, int depth) {
    endPending();
    numbering_.endUnnamed();
    if (depth <= 1) {
        // Word and LibreOffice want the definition of an outer row before its
        // cells, and a nested row's inside \nesttableprops after them.
        RtfOutput definition;
        rowDefinition(definition, row);
        out_.insert(rowStart_ < 0 ? out_.size() : rowStart_, definition.take());
        rowStart_ = -1;
        out_.word("row");
    } else {
        out_.raw("{\\*");
        out_.word("nesttableprops");
        rowDefinition(out_, row);
        out_.word("nestrow");
        out_.raw("}{");
        out_.word("nonesttables");
        out_.word("par");
        out_.raw("}");
    }
    out_.endLine();
}

void Writer::finish() {
    endPending();
    keptListIds_.clear();
    const QByteArray end = keptRtf(KeptRtf::Place::End);
    out_.raw(end.toStdString());
    out_.raw("}");
    out_.endLine();
    const QByteArray content = out_.take();
    const QByteArray kept = keptRtf(KeptRtf::Place::Start);
    out_ = RtfOutput();
    header();
    file_ = out_.take();
    file_ += kept;
    file_ += content;
}

QByteArray Writer::takeItem() {
    endPending();
    return out_.takeCopy();
}

QByteArrayList Writer::file(QByteArrayList body, const std::set<int>& lists) {
    for (std::size_t n = 0; n < lists_.size(); ++n)
        lists_[n].inFile = lists.contains(static_cast<int>(n + 1));
    // Kept pieces number their fonts and colours into the tables, which the
    // header then lists.
    keptListIds_.clear();
    QByteArray end = keptRtf(KeptRtf::Place::End);
    end += "}\r\n";
    const QByteArray start = keptRtf(KeptRtf::Place::Start);
    out_ = RtfOutput();
    header();
    body.prepend(start);
    body.prepend(out_.take());
    body.append(end);
    return body;
}

void Writer::fields(const KeptRtfList& instructions) {
    qsizetype common = 0;
    while (common < openFields_.size() && common < instructions.size() &&
           openFields_[common].instruction == instructions[common])
        ++common;
    while (openFields_.size() > common) {
        runs_.raw("}}");
        // The group's end takes the format back to where it opened.
        current_ = openFields_.back().formatBefore;
        formatWritten_ = openFields_.back().formatWrittenBefore;
        openFields_.pop_back();
    }
    if (openFields_.size() < carried_) {
        carried_ = openFields_.size();
        restateAt_.append(runs_.size());
    }
    for (qsizetype i = common; i < instructions.size(); ++i) {
        openFields_.append({instructions[i], current_, formatWritten_});
        runs_.raw("{");
        runs_.word("field");
        runs_.raw(renumbered(instructions[i]).toStdString());
        runs_.raw("{");
        runs_.word("fldrslt");
    }
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
    // So does text whose East Asian letters take the run's font again.
    const bool whole = !formatWritten_ || (!current_.kept.isEmpty() && f.kept != current_.kept) ||
                       (unnamedFont && f.font != current_.font) ||
                       (current_.eastAsianFont >= 0 && f.eastAsianFont < 0);
    if (whole && formatWritten_ && current_.position != VerticalPosition::Normal)
        runs_.word("nosupersub"); // never \plain straight after raised text
    const WrittenFormat was = whole ? WrittenFormat{} : current_;
    current_ = f;
    formatWritten_ = true;
    if (whole)
        runs_.word("plain");
    // An \f after \dbch names the font of East Asian letters only, until
    // \loch. The run's own \f comes after it: readers decode the bytes that
    // follow in the font of the last \f (in a Symbol one, \'95 is no bullet).
    const bool eastAsian = f.eastAsianFont >= 0 && f.eastAsianFont != was.eastAsianFont;
    if (eastAsian) {
        runs_.word("dbch");
        runs_.word("f", f.eastAsianFont);
        runs_.word("loch");
    }
    if ((whole || eastAsian || f.font != was.font) && !unnamedFont)
        runs_.word("f", f.font);
    if (whole || f.halfPoints != was.halfPoints)
        runs_.word("fs", f.halfPoints);
    auto toggle = [this](bool on, bool before, std::string_view word, std::string_view off) {
        if (on != before)
            on ? runs_.word(word) : runs_.word(off);
    };
    toggle(f.bold, was.bold, "b", "b0");
    toggle(f.italic, was.italic, "i", "i0");
    if (f.underline != was.underline || (f.underline && f.underlineStyle != was.underlineStyle))
        runs_.word(f.underline ? underlineWords[f.underlineStyle] : "ulnone");
    toggle(f.strike, was.strike, "strike", "strike0");
    if (f.color != was.color)
        runs_.word("cf", f.color);
    if (f.background != was.background)
        runs_.word("highlight", f.background);
    if (f.caps != was.caps) {
        if (was.caps != Caps::None)
            runs_.word(was.caps == Caps::All ? "caps" : "scaps", 0);
        if (f.caps != Caps::None)
            runs_.word(f.caps == Caps::All ? "caps" : "scaps");
    }
    if (f.spacing != was.spacing)
        runs_.word("expndtw", f.spacing);
    if (f.raise != was.raise)
        f.raise >= 0 ? runs_.word("up", f.raise) : runs_.word("dn", -f.raise);
    if (f.kept != was.kept)
        runs_.words(f.kept);
    if (f.position != was.position)
        runs_.word(f.position == VerticalPosition::Super ? "super"
                   : f.position == VerticalPosition::Sub ? "sub"
                                                         : "nosupersub");
}

QByteArray writeRtf(const QTextDocument& document) {
    Writer writer(document.defaultFont());
    walkDocument(document, writer);
    return writer.take();
}

} // namespace rtf
