// What the reader keeps for the writer: groups and words of the document,
// pieces kept where they stood, hidden text, and notes.
#include "components/rtf/reader.h"

#include "components/rtf/codepage.h"
#include "components/rtf/controlwords.h"
#include "components/rtf/rtfoutput.h"
#include "components/rtf/symbolfont.h"
#include "components/rtf/units.h"

#include <QHash>

#include <algorithm>
#include <functional>
#include <utility>

namespace rtf {

void Reader::keepInline(std::string_view rtf) {
    settleNoteMark();
    flushRun();
    inline_.emplace_back(rtf);
    ++inlineKept_;
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
    if (joins) {
        inline_.pop_back();
        --inlineKept_; // kept again below, once
        hiddenText_ += text;
    } else {
        hiddenText_ = text;
    }
    // Bytes of signs only where the saved file marks the font as Symbol,
    // which it does for the font of that name alone.
    const FontTable::Font* shown = fontOf(font);
    hiddenSymbols_ = shown && rtf::isSymbolFont(shown->name);
    hiddenWords_ = std::move(written);
    hiddenRawWords_ = words;
    keepInline(hiddenPieceRtf());
    hiddenPiece_ = qsizetype(inline_.size()) - 1;
}

std::string Reader::hiddenPieceRtf() const {
    RtfOutput whole = RtfOutput::oneLine();
    whole.raw(std::string_view(hiddenRawWords_.constData(), std::size_t(hiddenRawWords_.size())));
    whole.text(hiddenText_, hiddenSymbols_);
    whole.raw("}");
    return whole.take().toStdString();
}

bool Reader::splitHiddenBefore(const GroupState& field) {
    const qsizetype before = field.hiddenPieceAtOpen;
    if (before < 0 || before >= qsizetype(inline_.size()) ||
        inline_[std::size_t(before)].size() == field.hiddenBytesAtOpen)
        return true; // nothing joined it
    if (before != hiddenPiece_)
        return false; // kept after it: no longer its last
    hiddenText_.truncate(field.hiddenLengthAtOpen);
    inline_[std::size_t(before)] = hiddenPieceRtf();
    return true;
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
    shapeContent();
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
    format.object.occurrence = ++inlinePieces_;
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
    // Numbers that start again on each page count on here: the editor has
    // no pages.
    if (word == "restart" || word == "rstcont" || word == "rstpg") {
        numbering.eachSection = word == "restart";
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

// The saved file says \ansicpg1252 and gives no font a charset but the
// Symbol one: bytes of any other code page would read as other letters there
// (a Cyrillic header as "àá"), so what is kept of the file goes as the
// characters it is. (What the reader writes itself is in the saved file's
// code page already.)
std::string Reader::unicodeText(std::string_view rtf) const {
    const auto legacy = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
    if (rtf.find("\\'") == std::string_view::npos && std::none_of(rtf.begin(), rtf.end(), legacy))
        return std::string(rtf);
    struct Scope {
        int font;
        int uc;
        bool bytesAsWritten; // a list level's lengths and numbers, not text
    };
    std::vector<Scope> scopes{{state().chr.bytesFont, state().unicodeSkip, false}};
    std::string out;
    out.reserve(rtf.size());
    std::string pending;     // bytes of one code page, decoded together
    bool needsTrail = false; // pending ends with a double-byte lead byte
    int skip = 0;            // what stands in for a \uN, copied as it is
    const auto page = [&] { return codePageOf(scopes.back().font); };
    const auto flush = [&] {
        if (pending.empty())
            return;
        QString text;
        CodePages::instance().decode(page(), pending, text);
        pending.clear();
        needsTrail = false;
        const int uc = scopes.back().uc;
        for (QChar c : std::as_const(text)) {
            out += "\\u" + std::to_string(static_cast<std::int16_t>(c.unicode()));
            out += uc > 0 ? std::string(std::size_t(uc), '?') : std::string(" ");
        }
    };
    const auto add = [&](char c) {
        pending += c;
        needsTrail = !needsTrail && isLeadByte(page(), static_cast<unsigned char>(c));
    };
    // Bytes that read the same in the saved file stay as they are.
    const auto converts = [&] {
        return !scopes.back().bytesAsWritten && page() != 1252 && page() != symbolCodePage;
    };
    Tokenizer tokenizer(rtf);
    for (Token token = tokenizer.next(); token.type != TokenType::End;) {
        const Token next = tokenizer.next();
        const std::size_t end = next.type == TokenType::End ? rtf.size() : next.offset;
        std::string_view span = rtf.substr(token.offset, end - token.offset);
        if (token.type == TokenType::HexByte && skip == 0 && converts()) {
            add(static_cast<char>(token.param));
            span.remove_prefix(std::min<std::size_t>(4, span.size())); // \'hh
        } else if (token.type == TokenType::Text && converts()) {
            for (; skip > 0 && !span.empty(); --skip) {
                out += span.front();
                span.remove_prefix(1);
            }
            for (char c : span) {
                if (legacy(c) || needsTrail) {
                    add(c);
                } else {
                    flush();
                    out += c;
                }
            }
            span = {};
        } else {
            if (token.type != TokenType::HexByte && token.type != TokenType::Text)
                flush();
            switch (token.type) {
            case TokenType::GroupStart:
                scopes.push_back(scopes.back());
                break;
            case TokenType::GroupEnd:
                if (scopes.size() > 1)
                    scopes.pop_back();
                break;
            case TokenType::ControlWord:
                skip = 0;
                // A \pn label's \pnf is the font of its text.
                if ((token.text == "f" || token.text == "pnf") && token.hasParam)
                    scopes.back().font = token.param;
                else if (token.text == "plain")
                    scopes.back().font = defaultFont_;
                else if (token.text == "uc" && token.hasParam)
                    scopes.back().uc = std::clamp(token.param, 0, 10);
                else if (token.text == "u")
                    skip = scopes.back().uc;
                else if (token.text == "leveltext" || token.text == "levelnumbers")
                    scopes.back().bytesAsWritten = true;
                break;
            case TokenType::HexByte:
                skip = std::max(0, skip - 1);
                break;
            case TokenType::Text:
                skip = std::max(0, skip - int(span.size()));
                break;
            default:
                skip = 0;
                break;
            }
        }
        if (!span.empty()) {
            flush();
            out += span;
        }
        token = next;
    }
    flush();
    return out;
}

KeptRtf Reader::keptRtf(std::string_view rtf) const {
    KeptRtf kept;
    QHash<int, int> fonts;
    QHash<int, int> colors;
    Renumbering numbers;
    numbers.font = [&](int number) {
        if (!fonts.contains(number)) {
            const FontTable::Font* font = fonts_.find(number < 0 ? defaultFont_ : number);
            fonts.insert(number, int(kept.fonts.size()));
            kept.fonts.append(font ? font->name : QString());
        }
        return fonts.value(number);
    };
    numbers.color = [&](int index) {
        if (!colors.contains(index)) {
            colors.insert(index, int(kept.colors.size()));
            kept.colors.append(colors_.color(index));
        }
        return colors.value(index);
    };
    // The file's list numbers stay: the lists they name are kept with them.
    numbers.list = [&](int ls) {
        listsNamed_.insert(ls);
        return ls;
    };
    kept.rtf = renumber(rtf, numbers);
    return kept;
}

std::string wordText(const Token& token) {
    // The word as written, with its parameter and its delimiting space.
    std::string word = "\\";
    word += token.text;
    if (token.hasParam)
        word += std::to_string(token.param);
    word += ' ';
    return word;
}

void Reader::keepDocumentWord(const Token& token) {
    documentWords_ += wordText(token);
}

void Reader::flushDocumentWords() {
    if (documentWords_.empty())
        return;
    KeptRtf words;
    words.rtf = QByteArray::fromStdString(documentWords_);
    sink_.keep(words);
    documentWords_.clear();
}

} // namespace rtf
