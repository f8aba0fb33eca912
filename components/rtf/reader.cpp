#include "components/rtf/reader.h"

#include "components/rtf/codepage.h"
#include "components/rtf/controlwords.h"
#include "components/rtf/rtfoutput.h"
#include "components/rtf/symbolfont.h"
#include "components/rtf/units.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>

namespace rtf {
namespace {

// The scripts of East Asia (Hangul, kana, Han and their punctuation and
// full-width forms), which a font given after \dbch is for.
bool isEastAsian(char32_t c) {
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0x9FFF) ||
           (c >= 0xA960 && c <= 0xA97F) || (c >= 0xAC00 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// Whether the RTF defines table rows or cells (\\trowd, \\cellx): a group
// that does is not kept whole, since written back inside a row it would
// define that row's cells again.
bool definesRows(std::string_view rtf) {
    Tokenizer tokenizer(rtf);
    for (Token token = tokenizer.next(); token.type != TokenType::End; token = tokenizer.next()) {
        if (token.type != TokenType::ControlWord)
            continue;
        const Control control = lookupControl(token.text).control;
        if (control == Control::RowDefaults || control == Control::CellEdge)
            return true;
    }
    return false;
}

} // namespace

void Reader::read(std::string_view data) {
    stack_.clear();
    stack_.emplace_back(); // the state outside any group
    data_ = data;
    Tokenizer tokenizer(data);
    for (;;) {
        tokenizer.setCodePage(state().destination == Destination::Body ? currentCodePage() : 0);
        const Token token = tokenizer.next();
        if (token.type == TokenType::End)
            break;
        ++tokenCount_;
        if (token.type == TokenType::GroupStart) {
            openGroup(token.offset);
            continue;
        }
        if (token.type == TokenType::GroupEnd) {
            if (!closeGroup(token.offset))
                break;
            continue;
        }
        if (overflow_ > 0 || state().destination == Destination::Skip)
            continue;
        if (unicodeSkipLeft_ > 0 && token.type != TokenType::Text) {
            // The \uN fallback: a control word, \'hh or \bin counts as one character.
            --unicodeSkipLeft_;
            continue;
        }
        switch (token.type) {
        case TokenType::ControlWord:
            controlWord(token);
            break;
        case TokenType::ControlSymbol:
            controlSymbol(token);
            break;
        case TokenType::HexByte: {
            if (state().destination == Destination::Picture)
                break; // a picture's bytes come as hex digits or \bin only
            const char byte = static_cast<char>(token.param);
            bytes(std::string_view(&byte, 1));
            break;
        }
        case TokenType::Text:
            bytes(token.text);
            break;
        case TokenType::Binary:
            if (state().destination == Destination::Picture) {
                picture_.data.append(token.text.data(), static_cast<qsizetype>(token.text.size()));
                pictureNibble_ = -1;
            }
            break;
        default:
            break;
        }
    }
    // A picture cut off by the end of the file still shows what it has.
    for (std::size_t i = 1; i < stack_.size(); ++i) {
        if (stack_[i].destination == Destination::Picture &&
            stack_[i - 1].destination == Destination::Body) {
            endPicture(stack_[i]);
            break;
        }
    }
    settleNoteMark();
    releaseShapePicture();
    if (paragraphHasContent_)
        endParagraph();
    flushDocumentWords();
    // Kept after the last paragraph: the document's, after its body.
    for (const std::string& piece : inline_) {
        KeptRtf kept = keptRtf(piece);
        kept.place = KeptRtf::Place::End;
        sink_.keep(kept);
    }
    // Last: every other piece kept may name a list.
    keepUnshownLists();
    if (unnamedText_ || !namedFont(defaultFont_))
        sink_.noDefaultFont();
    sink_.finish();
}

std::size_t Reader::tableEntryGroup() const {
    // {\rtf1 {\*\listtable {\list ...
    const bool entryOfTheDocument = stack_.size() == 4 && tokenCount_ == state().firstToken;
    return entryOfTheDocument ? state().openedAt : std::string_view::npos;
}

void Reader::keepUnshownLists() {
    const ListTable::Groups groups = lists_.unshown(listsShown_, listsNamed_);
    for (const auto& [pieces, place] : {std::pair{&groups.lists, KeptRtf::Place::List},
                                        std::pair{&groups.overrides, KeptRtf::Place::ListOverride}})
        for (const std::string& rtf : *pieces) {
            KeptRtf kept = keptRtf(rtf);
            kept.place = place;
            sink_.keep(kept);
        }
}

void Reader::openGroup(std::size_t offset) {
    unicodeSkipLeft_ = 0;
    pendingStar_ = false;
    if (overflow_ > 0 || stack_.size() > maxDepth) {
        ++overflow_;
        return;
    }
    // Hidden text still held before the group is no part of it: a field's
    // instruction inside, with or without a \field word, would make the
    // group kept whole and take that text along.
    if (state().destination == Destination::Body && runChar_.hidden)
        flushRun();
    stack_.push_back(stack_.back());
    state().openedAt = offset;
    // Hidden text inside may join hidden text kept just before, as it reads
    // back once written; a field in the group then cannot be kept whole.
    state().hiddenPieceAtOpen = hiddenPiece_;
    state().hiddenBytesAtOpen = hiddenPiece_ >= 0 ? inline_[std::size_t(hiddenPiece_)].size() : 0;
    state().hiddenLengthAtOpen = hiddenText_.size();
    state().firstToken = tokenCount_ + 1;
    state().keep = false;
    state().shape = false;
    state().pictureProperties = false;
    state().shownAtOpen = shown_;
    state().inlineAtOpen = inlineKept_;
    // \dbch says what the words right after it are for: LibreOffice ends it
    // at a group's bounds, and Word writes it again in every group.
    state().chr.doubleByte = false;
}

bool Reader::closeGroup(std::size_t offset) {
    unicodeSkipLeft_ = 0;
    pendingStar_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return true;
    }
    if (stack_.size() <= 1)
        return false; // a '}' with no group open: the document is over
    const bool closesParagraphText = paragraphHasContent_ && !closedParagraphState_ &&
                                     stack_.back().destination == Destination::Body &&
                                     lastContentDepth_ >= stack_.size();
    if (closesParagraphText)
        closedParagraphState_ = stack_.back();
    const GroupState closed = stack_.back();
    stack_.pop_back();
    // Only words given since a group last closed count as the paragraph's
    // own; what a group's end restores does not.
    if (closedParagraphState_)
        paraAfterClosedGroup_ = state().para;
    state().chr.doubleByte = false;
    // The field's result, a sibling group that follows, shows as the
    // instruction's text and keeps the instruction.
    const auto group = [&] {
        return unicodeText(data_.substr(closed.openedAt, offset + 1 - closed.openedAt));
    };
    if (closed.fieldInstruction && state().destination == Destination::Body) {
        // Inside the field of the group around: one more. A field stands for
        // itself, also beside one alike (two page numbers side by side).
        KeptRtfList& fields = state().chr.fields;
        const qsizetype around =
            stack_.size() > 1 ? stack_[stack_.size() - 2].chr.fields.size() : 0;
        fields.resize(std::min(fields.size(), around));
        fields.append(keptRtf(group()));
        fields.back().occurrence = ++fieldsRead_;
    }
    // A field that showed nothing (an empty result, or one the editor cannot
    // show) has no text to carry its instruction: it is kept whole instead,
    // with what was kept inside it.
    const bool showedNothing =
        closed.chr.fields.size() > state().chr.fields.size() && shown_ == closed.shownAtOpen &&
        closed.destination == Destination::Body && state().destination == Destination::Body &&
        !definesRows(data_.substr(closed.openedAt, offset + 1 - closed.openedAt));
    if (showedNothing)
        flushRun(); // hidden text still held is the field's
    if (showedNothing && splitHiddenBefore(closed)) {
        // Nothing shown since: the pieces kept inside still wait, the last ones.
        const std::size_t inside = std::min(inline_.size(), inlineKept_ - closed.inlineAtOpen);
        inline_.resize(inline_.size() - inside);
        if (hiddenPiece_ >= qsizetype(inline_.size()))
            hiddenPiece_ = -1;
        // Its text hidden by the group around stays hidden where it is written.
        keepInline(state().chr.hidden ? "{\\v" + group() + "}" : group());
    }
    if (closed.keepInline && state().destination == Destination::Body) {
        if (closed.footnote)
            endNote(group());
        else
            keepInline(group());
    }
    if (closed.keep) {
        // Page setup before a header or footer stays before it.
        flushDocumentWords();
        sink_.keep(keptRtf(group()));
    }
    if (closed.destination == Destination::ListTable ||
        closed.destination == Destination::ListOverrideTable)
        lists_.endGroup(closed.openedAt, group);
    if (closed.listName && state().destination == Destination::ListTable)
        lists_.setListName(group());
    if (closed.pictureProperties && state().destination == Destination::Picture)
        picture_.properties = QByteArray::fromStdString(group());
    if (closed.destination == Destination::Picture && state().destination == Destination::Body)
        endPicture(closed);
    if (closed.shape)
        endShape(closed, offset);
    if (closed.destination == Destination::FontTable) {
        // A font's group may end without its ';'.
        fonts_.endFont(documentCodePage());
        codePageFont_ = -2;
    }
    if (closed.destination == Destination::PnTextBefore && state().destination == Destination::Pn)
        state().para.pnBefore = closed.para.pnBefore;
    if (closed.destination == Destination::PnTextAfter && state().destination == Destination::Pn)
        state().para.pnAfter = closed.para.pnAfter;
    if (closed.destination == Destination::Pn && state().destination != Destination::Pn) {
        // \pn is a group of its own, but it describes the paragraph around it.
        ParaState& para = state().para;
        para.pnType = closed.para.pnType;
        para.pnStyle = closed.para.pnStyle;
        para.pnLevel = closed.para.pnLevel;
        para.pnBefore = closed.para.pnBefore;
        para.pnAfter = closed.para.pnAfter;
    }
    // Closing the outermost group ends the document; what follows is not RTF.
    return stack_.size() > 1;
}

void Reader::bytes(std::string_view text) {
    if (unicodeSkipLeft_ > 0) {
        const std::size_t skipped =
            std::min(text.size(), static_cast<std::size_t>(unicodeSkipLeft_));
        text.remove_prefix(skipped);
        unicodeSkipLeft_ -= static_cast<int>(skipped);
    }
    if (text.empty())
        return;
    switch (state().destination) {
    case Destination::Body:
        // Control characters alone are no text: they must not settle a note
        // mark that the note after them still wants.
        if (std::all_of(text.begin(), text.end(), [](char c) {
                const auto byte = static_cast<unsigned char>(c);
                return (byte < 0x20 && byte != '\t') || byte == 0x7F;
            }))
            break;
        beforeText();
        run_.appendBytes(text, currentCodePage());
        afterText();
        break;
    case Destination::FontTable:
        for (;;) {
            const std::size_t semicolon = text.find(';');
            fonts_.appendNameBytes(text.substr(0, semicolon));
            if (semicolon == std::string_view::npos)
                break;
            fonts_.endFont(documentCodePage());
            codePageFont_ = -2;
            text.remove_prefix(semicolon + 1);
        }
        break;
    case Destination::LevelText: {
        QString decoded;
        CodePages::instance().decode(documentCodePage(), text, decoded);
        lists_.appendLevelText(decoded);
        break;
    }
    case Destination::PnTextBefore:
    case Destination::PnTextAfter: {
        QString decoded;
        CodePages::instance().decode(documentCodePage(), text, decoded);
        pnText(decoded);
        break;
    }
    case Destination::ColorTable:
        for (char c : text)
            if (c == ';')
                colors_.endEntry();
        break;
    case Destination::Picture:
        pictureHex(text);
        break;
    case Destination::ShapeText:
        if (!state().chr.hidden)
            shapeText_.appendBytes(text, currentCodePage());
        break;
    case Destination::ShapeName:
        if (shapeProperty_.size() < 64)
            shapeProperty_.append(text.substr(0, 64));
        break;
    default:
        break;
    }
}

void Reader::unicode(int value) {
    if (value < 0)
        value += 65536;
    // Beyond 16 bits the standard has surrogate pairs, but some writers give
    // the code point itself; both read as the same character.
    char16_t units[2] = {u'\uFFFD', 0};
    if (value >= 0xF020 && value <= 0xF0FF && state().destination == Destination::Body &&
        currentCodePage() == symbolCodePage) {
        // Word writes Symbol characters at U+F000 plus their byte.
        const char16_t c = symbolCharacter(static_cast<unsigned char>(value - 0xF000));
        units[0] = c ? c : static_cast<char16_t>(value);
    } else if (value >= 0 && value <= 0xFFFF) {
        units[0] = static_cast<char16_t>(value);
    } else if (value > 0xFFFF && value <= 0x10FFFF) {
        units[0] = QChar::highSurrogate(static_cast<char32_t>(value));
        units[1] = QChar::lowSurrogate(static_cast<char32_t>(value));
    }
    for (char16_t c : units) {
        if (c == 0)
            break;
        nameOrBodyCharacter(c);
    }
    unicodeSkipLeft_ = state().unicodeSkip;
}

void Reader::pnText(QStringView text) {
    ParaState& para = state().para;
    QString& kept = state().destination == Destination::PnTextBefore ? para.pnBefore : para.pnAfter;
    // Control characters show nothing and no file can carry them.
    for (QChar c : text.left(std::max<qsizetype>(0, maxLevelText / 2 - 1 - kept.size())))
        if (c.unicode() >= 0x20)
            kept += c;
}

void Reader::nameOrBodyCharacter(char16_t c) {
    // A font name may hold any character the body can (the writer escapes
    // both alike), so that it reads back as it was written.
    if (state().destination == Destination::FontTable)
        fonts_.appendNameChar(c, documentCodePage());
    else if (state().destination == Destination::LevelText)
        lists_.appendLevelText(QStringView(&c, 1));
    else if (state().destination == Destination::PnTextBefore ||
             state().destination == Destination::PnTextAfter)
        pnText(QStringView(&c, 1));
    else
        character(c);
}

void Reader::character(char16_t c) {
    if (state().destination == Destination::ShapeText) {
        shapeTextCharacter(c);
        return;
    }
    if (state().destination != Destination::Body || (c < 0x20 && c != u'\t') || c == 0x7F)
        return;
    beforeText();
    run_.appendChar(c);
    afterText();
}

void Reader::beforeText() {
    settleNoteMark();
    syncRunFormat();
}

void Reader::afterText() {
    if (!state().chr.hidden) {
        bodyContent();
        return;
    }
    // Hidden text starts the body and makes a paragraph, but its group's
    // format is not the paragraph's: only text that shows can lend it. It
    // shows nothing: a field whose result it is alone is kept whole.
    paragraphHasContent_ = true;
    startBody();
}

// Document words stand before the body in a saved file; those after its
// first text or break are a section's own and stay where they stood.
void Reader::startBody() {
    if (bodyStarted_)
        return;
    bodyStarted_ = true;
    flushDocumentWords();
}

void Reader::bodyContent() {
    settleNoteMark();
    startBody();
    ++shown_;
    paragraphHasContent_ = true;
    lastContentDepth_ = stack_.size();
    closedParagraphState_.reset();
}

void Reader::syncRunFormat() {
    if (state().chr == runChar_)
        return;
    flushRun();
    runChar_ = state().chr;
}

void Reader::flushRun() {
    if (run_.empty())
        return;
    const QString text = run_.text();
    run_.clear();
    if (text.isEmpty())
        return;
    shapeContent();
    if (runChar_.hidden) {
        hiddenRun(text);
        return;
    }
    RunFormat format = resolve(runChar_);
    format.before = takeInline();
    // A font given for East Asian text shows that text alone; the run's
    // other letters stay in its font.
    const FontTable::Font* eastAsian = namedFont(runChar_.eastAsianFont);
    if (!eastAsian || eastAsian->name == format.family) {
        sink_.text(text, format);
        return;
    }
    const QString family = format.family;
    format.latinFamily = family;
    format.eastAsianFamily = eastAsian->name;
    qsizetype start = 0;
    bool asian = false;
    const auto send = [&](qsizetype end) {
        if (end == start)
            return;
        format.family = asian ? eastAsian->name : family;
        sink_.text(QStringView(text).mid(start, end - start), format);
        format.before = {};
        start = end;
    };
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text.at(i).unicode();
        qsizetype length = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            length = 2;
        }
        // Spaces, digits and punctuation go with the letters around them.
        const bool letterAsian = isEastAsian(c);
        if ((letterAsian || QChar::isLetter(c)) && letterAsian != asian) {
            send(i);
            asian = letterAsian;
        }
        i += length;
    }
    send(text.size());
}

void Reader::endParagraph(int minDepth, int maxDepth) {
    settleNoteMark();
    flushRun();
    shapeContent();
    // Paragraph words given after the group closed are the paragraph's own
    // ("{N}{\qc\cell}" is a centred cell), as they would be without groups.
    const bool closedGroupHolds = closedParagraphState_ && state().para == paraAfterClosedGroup_;
    const GroupState& format = closedGroupHolds ? *closedParagraphState_ : state();
    ParagraphFormat paragraph = resolve(format.para);
    paragraph.beforeEnd = takeInline();
    paragraph.tableDepth = std::clamp(paragraph.tableDepth, minDepth, maxDepth);
    if (paragraph.listId > 0)
        listsShown_.insert(paragraph.listId);
    sink_.endParagraph(paragraph, resolve(format.chr));
    ++shown_;
    paragraphHasContent_ = false;
    lastContentDepth_ = 0;
    closedParagraphState_.reset();
}

int Reader::documentCodePage() const {
    return ansiCodePage_;
}

const FontTable::Font* Reader::namedFont(int number) const {
    const FontTable::Font* font = number < 0 ? nullptr : fonts_.find(number);
    return font && !font->name.isEmpty() ? font : nullptr;
}

const FontTable::Font* Reader::fontOf(int number) const {
    // A font the table does not have (or has without a name) is the
    // document's default one.
    const FontTable::Font* font = namedFont(number);
    return font ? font : namedFont(defaultFont_);
}

int Reader::codePageOf(int font) const {
    const FontTable::Font* named = fontOf(font);
    return named && named->codePage ? named->codePage : documentCodePage();
}

int Reader::currentCodePage() {
    const int number = state().chr.bytesFont;
    if (number != codePageFont_) {
        codePage_ = codePageOf(number);
        codePageFont_ = number;
    }
    return codePage_;
}

RunFormat Reader::resolve(const CharState& chr) const {
    RunFormat format;
    if (const FontTable::Font* font = fontOf(chr.font))
        format.family = font->name;
    else
        unnamedText_ = true;
    format.points = units::pointsFromHalfPoints(chr.halfPoints);
    format.bold = chr.bold;
    format.italic = chr.italic;
    format.underline = chr.underline;
    format.underlineStyle = chr.underline ? chr.underlineStyle : 0;
    format.strike = chr.strike;
    format.caps = chr.caps;
    format.spacing = chr.spacing;
    format.raise = chr.raise;
    format.kept = QByteArray::fromStdString(chr.kept);
    format.fields = chr.fields;
    format.color = colors_.color(chr.color);
    // Index 0 of a background is "none", whatever the table's first entry holds.
    if (chr.highlight > 0)
        format.background = colors_.color(chr.highlight);
    else if (chr.background > 0)
        format.background = colors_.color(chr.background);
    format.position = chr.position;
    return format;
}

ParagraphFormat Reader::resolve(const ParaState& para) const {
    ParagraphFormat format;
    format.alignment = para.alignment;
    format.leftIndent = para.leftIndent;
    format.rightIndent = para.rightIndent;
    format.firstIndent = para.firstIndent;
    format.spaceBefore = para.spaceBefore;
    format.spaceAfter = para.spaceAfter;
    format.rightToLeft = para.rightToLeft;
    // Word writes single spacing as 240 twips at one line.
    if (para.sl < 0)
        format.line = {LineRule::Exact, -para.sl};
    else if (para.sl > 0 && para.slmult && para.sl != 240)
        // At least 1 %: a 0 would be written back as \sl0, single spacing.
        format.line = {LineRule::Proportional,
                       std::max(1, static_cast<int>(std::lround(para.sl * 100.0 / 240.0)))};
    else if (para.sl > 0 && !para.slmult)
        format.line = {LineRule::AtLeast, para.sl};
    format.tabs = para.tabs;
    if (!para.kept.empty() || !para.borders.empty())
        format.kept = keptRtf(para.kept + para.borders);
    if (para.startIndent)
        (para.rightToLeft ? format.rightIndent : format.leftIndent) = *para.startIndent;
    if (para.endIndent)
        (para.rightToLeft ? format.leftIndent : format.rightIndent) = *para.endIndent;
    format.tableDepth = tableDepth(para);
    const int level = std::clamp(para.ilvl, 0, 8);
    if (para.ls > 0 && lists_.knows(para.ls)) {
        format.list = lists_.kind(para.ls, level);
        format.listLabel = lists_.label(para.ls, level);
        format.listLevel = format.list == ListKind::None ? 0 : level;
        if (format.list == ListKind::None) {
            format.listLabel = {};
        } else {
            format.listId = para.ls;
            format.indentsGiven = para.indentsGiven;
            if (para.startIndent && !para.rightToLeft &&
                (para.indentsGiven & IndentsGiven::left) == 0)
                format.indentsGiven |= IndentsGiven::leftAsStart;
            if (para.startIndent)
                format.indentsGiven |= para.rightToLeft ? IndentsGiven::right : IndentsGiven::left;
            if (para.endIndent)
                format.indentsGiven |= para.rightToLeft ? IndentsGiven::left : IndentsGiven::right;
        }
    } else if (para.pnType == PnType::Bullet) {
        format.list = ListKind::Bullet;
        format.listLevel = para.pnLevel;
    } else if (para.pnType == PnType::Numbered) {
        format.list = para.pnStyle == ListKind::None ? ListKind::Decimal : para.pnStyle;
        format.listLevel = para.pnLevel;
        format.listLabel.prefix = para.pnBefore;
        format.listLabel.suffix = para.pnAfter;
    } else if (para.ls > 0) {
        // A list the tables do not define still reads as a list.
        format.list = ListKind::Bullet;
        format.listLevel = level;
    }
    return format;
}

} // namespace rtf
