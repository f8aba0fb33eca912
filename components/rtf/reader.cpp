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
        kept.atEnd = true;
        sink_.keep(kept);
    }
    if (unnamedText_ || !namedFont(defaultFont_))
        sink_.noDefaultFont();
    sink_.finish();
}

void Reader::openGroup(std::size_t offset) {
    unicodeSkipLeft_ = 0;
    pendingStar_ = false;
    if (overflow_ > 0 || stack_.size() > maxDepth) {
        ++overflow_;
        return;
    }
    stack_.push_back(stack_.back());
    state().openedAt = offset;
    state().firstToken = tokenCount_ + 1;
    state().keep = false;
    state().shape = false;
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
    if (paragraphHasContent_ && !closedParagraphState_ &&
        stack_.back().destination == Destination::Body && lastContentDepth_ >= stack_.size())
        closedParagraphState_ = stack_.back();
    const GroupState closed = stack_.back();
    stack_.pop_back();
    // The field's result, a sibling group that follows, shows as the
    // instruction's text and keeps the instruction.
    if (closed.fieldInstruction && state().destination == Destination::Body)
        state().chr.field = keptRtf(data_.substr(closed.openedAt, offset + 1 - closed.openedAt));
    if (closed.keepInline && state().destination == Destination::Body) {
        const std::string_view group = data_.substr(closed.openedAt, offset + 1 - closed.openedAt);
        if (closed.footnote)
            endNote(group);
        else
            keepInline(group);
    }
    if (closed.keep) {
        // Page setup before a header or footer stays before it.
        flushDocumentWords();
        sink_.keep(keptRtf(data_.substr(closed.openedAt, offset + 1 - closed.openedAt)));
    }
    if (closed.destination == Destination::Picture && state().destination == Destination::Body)
        endPicture(closed);
    if (closed.shape) {
        shapeLevel_ = 0;
        if (shapePicture_) {
            auto [picture, format] = std::move(*shapePicture_);
            shapePicture_.reset();
            format.object =
                keptRtf(std::string(data_.substr(closed.openedAt, offset + 1 - closed.openedAt)));
            format.object.shownAs = QString(QChar::ObjectReplacementCharacter);
            sink_.picture(picture, format);
        }
    }
    if (closed.destination == Destination::FontTable) {
        // A font's group may end without its ';'.
        fonts_.endFont(documentCodePage());
        codePageFont_ = -2;
    }
    if (closed.destination == Destination::Pn && state().destination != Destination::Pn) {
        // \pn is a group of its own, but it describes the paragraph around it.
        ParaState& para = state().para;
        para.pnType = closed.para.pnType;
        para.pnStyle = closed.para.pnStyle;
        para.pnLevel = closed.para.pnLevel;
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
    case Destination::ColorTable:
        for (char c : text)
            if (c == ';')
                colors_.endEntry();
        break;
    case Destination::Picture:
        pictureHex(text);
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

void Reader::nameOrBodyCharacter(char16_t c) {
    // A font name may hold any character the body can (the writer escapes
    // both alike), so that it reads back as it was written.
    if (state().destination == Destination::FontTable)
        fonts_.appendNameChar(c, documentCodePage());
    else if (state().destination == Destination::LevelText)
        lists_.appendLevelText(QStringView(&c, 1));
    else
        character(c);
}

void Reader::character(char16_t c) {
    if (state().destination != Destination::Body)
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
    // format is not the paragraph's: only text that shows can lend it.
    paragraphHasContent_ = true;
    if (!bodyStarted_) {
        bodyStarted_ = true;
        flushDocumentWords();
    }
}

void Reader::bodyContent() {
    settleNoteMark();
    if (!bodyStarted_) {
        bodyStarted_ = true;
        flushDocumentWords();
    }
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
    const QString& text = run_.text();
    if (text.isEmpty()) {
        run_.clear();
    } else if (runChar_.hidden) {
        const QString hidden = text;
        run_.clear();
        hiddenRun(hidden);
    } else {
        releaseShapePicture();
        shapeHasContent_ = shapeLevel_ != 0;
        RunFormat format = resolve(runChar_);
        format.before = takeInline();
        sink_.text(text, format);
        run_.clear();
    }
}

void Reader::releaseShapePicture() {
    if (!shapePicture_)
        return;
    sink_.picture(shapePicture_->first, shapePicture_->second);
    shapePicture_.reset();
}

void Reader::keepInline(std::string_view rtf) {
    settleNoteMark();
    flushRun();
    inline_.emplace_back(rtf);
    hiddenPiece_ = -1;
}

KeptRtf Reader::takeInline() {
    if (inline_.empty())
        return {};
    std::string pieces;
    for (const std::string& piece : inline_)
        pieces += piece;
    inline_.clear();
    hiddenPiece_ = -1;
    KeptRtf kept = keptRtf(pieces);
    kept.occurrence = ++inlinePieces_;
    return kept;
}

// Hidden text is kept as RTF of its own: the editor cannot hide text, and
// showing it would add to the text what the author meant not to show.
void Reader::hiddenRun(const QString& text) {
    const CharState& chr = runChar_;
    RtfOutput out;
    out.raw("{");
    // Its whole format, from \plain: written anywhere, it reads the same.
    out.word("plain");
    out.word("v");
    // The font the text shows in: one the table lacks is the default one.
    const int font = namedFont(chr.font) ? chr.font : defaultFont_;
    if (namedFont(font))
        out.word("f", font);
    else
        unnamedText_ = true;
    out.word("fs", chr.halfPoints);
    const std::pair<bool, std::string_view> toggles[] = {
        {chr.bold, "b"},
        {chr.italic, "i"},
        {chr.underline,
         underlineWords[chr.underlineStyle < std::size(underlineWords) ? chr.underlineStyle : 0]},
        {chr.strike, "strike"},
        {chr.caps == Caps::All, "caps"},
        {chr.caps == Caps::Small, "scaps"},
        {chr.position == VerticalPosition::Super, "super"},
        {chr.position == VerticalPosition::Sub, "sub"}};
    for (const auto& [on, word] : toggles)
        if (on)
            out.word(word);
    const std::pair<int, std::string_view> colors[] = {
        {chr.color, "cf"}, {chr.background, "cb"}, {chr.highlight, "highlight"}};
    for (const auto& [number, word] : colors)
        if (number > 0 && colors_.color(number)) // an automatic colour is none
            out.word(word, number);
    out.words(QByteArray::fromStdString(chr.kept));
    const QByteArray words = out.take() + ' '; // ends with a word: the text needs a delimiter
    // Hidden runs that differ only in what is not written join into one
    // piece, as they read back: alike once numbered into the saved file's
    // tables, or alike here (a font table late in the file names a font
    // that an earlier run had without a name).
    KeptRtf written = keptRtf(std::string_view(words.constData(), std::size_t(words.size())));
    const bool joins = hiddenPiece_ >= 0 && hiddenPiece_ + 1 == qsizetype(inline_.size()) &&
                       (written == hiddenWords_ || words == hiddenRawWords_);
    const QString allText = joins ? hiddenText_ + text : text;
    RtfOutput whole = RtfOutput::oneLine();
    whole.raw(std::string_view(words.constData(), static_cast<std::size_t>(words.size())));
    // Bytes of signs only where the saved file marks the font as Symbol,
    // which it does for the font of that name alone.
    const FontTable::Font* shown = fontOf(font);
    whole.text(allText, shown && rtf::isSymbolFont(shown->name));
    whole.raw("}");
    const QByteArray rtf = whole.take();
    if (joins)
        inline_.pop_back();
    keepInline(std::string_view(rtf.constData(), static_cast<std::size_t>(rtf.size())));
    hiddenPiece_ = qsizetype(inline_.size()) - 1;
    hiddenWords_ = std::move(written);
    hiddenRawWords_ = words;
    hiddenText_ = allText;
}

void Reader::noteMark() {
    settleNoteMark();
    flushRun();
    noteMark_ = state().chr;
}

void Reader::settleNoteMark() {
    if (!noteMark_)
        return;
    noteMark_.reset();
    keepInline("\\chftn ");
}

void Reader::endNote(std::string_view note) {
    // A note without a \chftn before it is numbered all the same, as
    // LibreOffice and Word read it.
    const bool marked = noteMark_.has_value();
    const CharState chr = marked ? *noteMark_ : state().chr;
    noteMark_.reset();
    flushRun();
    const bool endnote = note.find("\\ftnalt") != std::string_view::npos;
    const NoteNumbering& numbering = endnote ? endnoteNumbering_ : footnoteNumbering_;
    const int value = numbering.start - 1 + (endnote ? ++endnotes_ : ++footnotes_);
    QString number;
    if (numbering.chicago && value >= 1 && value <= 400) {
        static constexpr char16_t signs[] = {u'*', u'\u2020', u'\u2021', u'\u00a7'};
        number = QString((value - 1) / 4 + 1, QChar(signs[(value - 1) % 4]));
    } else {
        number = listNumberText(numbering.kind, value);
    }
    RunFormat format = resolve(chr);
    // Word raises the number through a character style, which the editor
    // does not apply: raised here, as every writer shows it.
    if (format.position == VerticalPosition::Normal)
        format.position = VerticalPosition::Super;
    format.before = takeInline();
    format.object = keptRtf((marked ? std::string("\\chftn ") : std::string()) + std::string(note));
    format.object.shownAs = number;
    sink_.text(number, format);
    bodyContent();
}

void Reader::noteNumbering(const Token& token) {
    std::string_view word = token.text;
    const bool endnote = word.starts_with("aftn");
    if (!word.starts_with(endnote ? "aftn" : "ftn"))
        return;
    word.remove_prefix(endnote ? 4 : 3);
    NoteNumbering& numbering = endnote ? endnoteNumbering_ : footnoteNumbering_;
    if (word == "start") {
        numbering.start = std::clamp(token.hasParam ? token.param : 1, 1, 32767);
        return;
    }
    static constexpr std::pair<std::string_view, ListKind> kinds[] = {
        {"nar", ListKind::Decimal},     {"nalc", ListKind::LowerAlpha},
        {"nauc", ListKind::UpperAlpha}, {"nrlc", ListKind::LowerRoman},
        {"nruc", ListKind::UpperRoman}, {"nchi", ListKind::Decimal},
    };
    for (const auto& [name, kind] : kinds)
        if (word == name) {
            numbering.kind = kind;
            numbering.chicago = name == "nchi";
        }
}

void Reader::endParagraph(int minDepth, int maxDepth) {
    settleNoteMark();
    flushRun();
    releaseShapePicture();
    shapeHasContent_ = shapeLevel_ != 0;
    const GroupState& format = closedParagraphState_ ? *closedParagraphState_ : state();
    ParagraphFormat paragraph = resolve(format.para);
    paragraph.beforeEnd = takeInline();
    paragraph.tableDepth = std::clamp(paragraph.tableDepth, minDepth, maxDepth);
    sink_.endParagraph(paragraph, resolve(format.chr));
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

int Reader::currentCodePage() {
    const int number = state().chr.font;
    if (number != codePageFont_) {
        const FontTable::Font* font = fontOf(number);
        codePage_ = font && font->codePage ? font->codePage : documentCodePage();
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
    format.field = chr.field;
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
        format.line = {LineRule::Proportional,
                       static_cast<int>(std::lround(para.sl * 100.0 / 240.0))};
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
    } else if (para.pnType == PnType::Bullet) {
        format.list = ListKind::Bullet;
        format.listLevel = para.pnLevel;
    } else if (para.pnType == PnType::Numbered) {
        format.list = para.pnStyle == ListKind::None ? ListKind::Decimal : para.pnStyle;
        format.listLevel = para.pnLevel;
    } else if (para.ls > 0) {
        // A list the tables do not define still reads as a list.
        format.list = ListKind::Bullet;
        format.listLevel = level;
    }
    return format;
}

int Reader::tableDepth(const ParaState& para) const {
    if (para.nesting >= 0)
        return std::min(para.nesting, maxTableDepth);
    return para.inTable ? 1 : 0;
}

void Reader::endCell(int depth) {
    endParagraph(depth, depth);
    sink_.endCell(depth);
}

void Reader::endRow(int depth) {
    // Text after the last \cell still belongs to the row: keep it as a cell.
    if (paragraphHasContent_)
        endCell(depth);
    sink_.endRow(rowDefinitions_[static_cast<std::size_t>(depth)], depth);
}

void Reader::pictureHex(std::string_view text) {
    static constexpr signed char none = -1;
    static const auto values = [] {
        std::array<signed char, 256> table{};
        table.fill(none);
        for (int i = 0; i < 10; ++i)
            table['0' + i] = static_cast<signed char>(i);
        for (int i = 0; i < 6; ++i) {
            table['a' + i] = static_cast<signed char>(10 + i);
            table['A' + i] = static_cast<signed char>(10 + i);
        }
        return table;
    }();
    QByteArray& data = picture_.data;
    data.reserve(data.size() + static_cast<qsizetype>(text.size() / 2 + 1));
    for (char c : text) {
        const signed char value = values[static_cast<unsigned char>(c)];
        if (value == none)
            continue; // spaces and whatever else a writer put between the digits
        if (pictureNibble_ < 0) {
            pictureNibble_ = value;
        } else {
            data.append(static_cast<char>(pictureNibble_ * 16 + value));
            pictureNibble_ = -1;
        }
    }
}

void Reader::endPicture(const GroupState& pictureState) {
    settleNoteMark();
    flushRun();
    releaseShapePicture();
    RunFormat format = resolve(pictureState.chr);
    format.before = takeInline();
    if (shapeLevel_ != 0 && !shapeHasContent_)
        shapePicture_.emplace(std::move(picture_), format);
    else
        sink_.picture(picture_, format);
    shapeHasContent_ = shapeLevel_ != 0;
    picture_ = Picture{};
    pictureNibble_ = -1;
    bodyContent();
}

void keepWord(std::string& kept, std::string_view name, bool hasParam, int param) {
    std::string word = "\\";
    word += name;
    // The same name, not a longer one that starts with it (\lang, \langfe).
    for (std::size_t at = kept.find(word); at != std::string::npos; at = kept.find(word, at + 1)) {
        const std::size_t after = at + word.size();
        if (after < kept.size() && ((kept[after] >= 'a' && kept[after] <= 'z') ||
                                    (kept[after] >= 'A' && kept[after] <= 'Z')))
            continue;
        kept.erase(at, kept.find('\\', after) == std::string::npos ? std::string::npos
                                                                   : kept.find('\\', after) - at);
        break;
    }
    if (hasParam)
        word += std::to_string(param);
    kept += word;
}

void keepBorderSide(std::string& borders, std::string_view side) {
    // The words come as "\\side\\style\\width..." per side: rebuilt without
    // the segment of this side.
    std::string kept;
    bool dropping = false;
    std::size_t at = 0;
    while (at < borders.size()) {
        const std::size_t next = std::min(borders.find('\\', at + 1), borders.size());
        std::string_view word(borders.data() + at + 1, next - at - 1);
        while (!word.empty() && word.back() >= '0' && word.back() <= '9')
            word.remove_suffix(1);
        if (word.size() > 0 && isParagraphBorderSide(word))
            dropping = word == side;
        if (!dropping)
            kept.append(borders, at, next - at);
        at = next;
    }
    borders = std::move(kept);
    borders += '\\';
    borders += side;
}

void keepBorderWord(std::string& borders, std::string_view name, bool hasParam, int param) {
    borders += '\\';
    borders += name;
    if (hasParam)
        borders += std::to_string(param);
}

KeptRtf Reader::keptRtf(std::string_view rtf) const {
    KeptRtf kept;
    QHash<int, int> fonts;
    QHash<int, int> colors;
    kept.rtf = renumber(
        rtf,
        [&](int number) {
            if (!fonts.contains(number)) {
                const FontTable::Font* font = fonts_.find(number < 0 ? defaultFont_ : number);
                fonts.insert(number, int(kept.fonts.size()));
                kept.fonts.append(font ? font->name : QString());
            }
            return fonts.value(number);
        },
        [&](int index) {
            if (!colors.contains(index)) {
                colors.insert(index, int(kept.colors.size()));
                kept.colors.append(colors_.color(index));
            }
            return colors.value(index);
        });
    return kept;
}

void Reader::keepDocumentWord(const Token& token) {
    // The word as written, with its parameter and its delimiting space.
    documentWords_ += '\\';
    documentWords_ += token.text;
    if (token.hasParam)
        documentWords_ += std::to_string(token.param);
    documentWords_ += ' ';
}

void Reader::flushDocumentWords() {
    if (documentWords_.empty())
        return;
    sink_.keep(KeptRtf{QByteArray::fromStdString(documentWords_), {}, {}, {}, false});
    documentWords_.clear();
}

} // namespace rtf
