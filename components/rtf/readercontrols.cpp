#include "components/rtf/controlwords.h"
#include "components/rtf/reader.h"

#include <algorithm>

namespace rtf {
namespace {

int param(const Token& token, int fallback) {
    return token.hasParam ? token.param : fallback;
}
bool toggle(const Token& token) {
    return !token.hasParam || token.param != 0;
}
// Word's own limit for indents and spacing is 22 inches.
int twips(const Token& token) {
    return std::clamp(param(token, 0), -31680, 31680);
}
int index(const Token& token) {
    return std::max(param(token, 0), 0);
}

} // namespace

// The one place where control words take effect; each kind goes to the
// helper for its part of the state.
void Reader::controlWord(const Token& token) {
    const ControlInfo info = lookupControl(token.text);
    if (pendingStar_) {
        pendingStar_ = false;
        // \* marks a destination we may skip when we do not know it.
        if (info.control < Control::SkipDestination || info.control > Control::Pn) {
            state().destination = Destination::Skip;
            return;
        }
    }
    if (destination(info))
        return;
    switch (info.control) {
    case Control::Par:
    case Control::Cell:
        if (state().destination == Destination::Body)
            endParagraph();
        return;
    case Control::SoftBreak:
        // A page or section break ends its paragraph; the breaks that Word writes
        // after a \par would otherwise add empty paragraphs nobody typed.
        if (state().destination == Destination::Body && paragraphHasContent_)
            endParagraph();
        return;
    case Control::Character:
        character(info.character);
        return;
    case Control::Unicode:
        unicode(param(token, 0xFFFD));
        return;
    default:
        break;
    }
    documentControl(info, token);
    tableControl(info, token);
    characterControl(info, token);
    paragraphControl(info, token);
}

bool Reader::destination(const ControlInfo& info) {
    Destination target;
    switch (info.control) {
    case Control::SkipDestination:
    case Control::ListTextFallback:
        target = Destination::Skip;
        break;
    case Control::Transparent:
        return true;
    case Control::FontTable:
        target = Destination::FontTable;
        break;
    case Control::ColorTable:
        target = Destination::ColorTable;
        break;
    case Control::ListTable:
        target = Destination::ListTable;
        break;
    case Control::ListOverrideTable:
        target = Destination::ListOverrideTable;
        break;
    case Control::Pn:
        target = Destination::Pn;
        break;
    default:
        return false;
    }
    // A destination word outside a group of its own would swallow the whole
    // document; such files exist, and showing their text is the better guess.
    if (stack_.size() > 2)
        state().destination = target;
    return true;
}

void Reader::documentControl(const ControlInfo& info, const Token& token) {
    switch (info.control) {
    case Control::Ansi:
        ansiCodePage_ = 1252;
        break;
    case Control::Mac:
        ansiCodePage_ = 10000;
        break;
    case Control::Pc:
        ansiCodePage_ = 437;
        break;
    case Control::Pca:
        ansiCodePage_ = 850;
        break;
    case Control::AnsiCodePage:
        if (token.hasParam && token.param > 0)
            ansiCodePage_ = token.param;
        break;
    case Control::DefaultFont:
        defaultFont_ = param(token, 0);
        break;
    case Control::UnicodeSkip:
        state().unicodeSkip = std::clamp(param(token, 1), 0, 16);
        break;
    default:
        return;
    }
    codePageFont_ = -2;
}

void Reader::tableControl(const ControlInfo& info, const Token& token) {
    const Destination where = state().destination;
    switch (info.control) {
    case Control::Font:
        if (where == Destination::FontTable) {
            fonts_.endFont(documentCodePage());
            fonts_.beginFont(param(token, 0));
        }
        break;
    case Control::FontCharset:
        if (where == Destination::FontTable)
            fonts_.setCharset(param(token, 0));
        break;
    case Control::FontCodePage:
        if (where == Destination::FontTable)
            fonts_.setCodePage(param(token, 0));
        break;
    case Control::Red:
        colors_.setRed(param(token, 0));
        break;
    case Control::Green:
        colors_.setGreen(param(token, 0));
        break;
    case Control::Blue:
        colors_.setBlue(param(token, 0));
        break;
    case Control::List:
        if (where == Destination::ListTable)
            lists_.beginList();
        break;
    case Control::ListLevel:
        if (where == Destination::ListTable)
            lists_.beginLevel();
        break;
    case Control::LevelNumbering:
        if (where == Destination::ListTable)
            lists_.setLevelNumbering(param(token, 0));
        break;
    case Control::ListId:
        if (where == Destination::ListTable)
            lists_.setListId(param(token, 0));
        else if (where == Destination::ListOverrideTable)
            lists_.setOverrideListId(param(token, 0));
        break;
    case Control::ListOverride:
        if (where == Destination::ListOverrideTable)
            lists_.beginOverride();
        break;
    case Control::ListNumber:
        if (where == Destination::ListOverrideTable)
            lists_.setOverrideNumber(param(token, 0));
        else
            state().para.ls = index(token);
        break;
    default:
        break;
    }
}

void Reader::characterControl(const ControlInfo& info, const Token& token) {
    CharState& chr = state().chr;
    switch (info.control) {
    case Control::Plain:
        chr = CharState{};
        chr.font = defaultFont_;
        break;
    case Control::Font:
        if (state().destination != Destination::FontTable)
            chr.font = param(token, 0);
        break;
    case Control::FontSize: {
        const int size = param(token, 24);
        chr.halfPoints = size > 0 ? std::min(size, 3276) : 24;
        break;
    }
    case Control::Bold:
        chr.bold = toggle(token);
        break;
    case Control::Italic:
        chr.italic = toggle(token);
        break;
    case Control::Underline:
        chr.underline = toggle(token);
        break;
    case Control::UnderlineNone:
        chr.underline = false;
        break;
    case Control::Strike:
        chr.strike = toggle(token);
        break;
    case Control::Color:
        chr.color = index(token);
        break;
    case Control::Background:
        chr.background = index(token);
        break;
    case Control::Highlight:
        chr.highlight = index(token);
        break;
    case Control::Super:
        chr.position = toggle(token) ? VerticalPosition::Super : VerticalPosition::Normal;
        break;
    case Control::Sub:
        chr.position = toggle(token) ? VerticalPosition::Sub : VerticalPosition::Normal;
        break;
    case Control::NoSuperSub:
        chr.position = VerticalPosition::Normal;
        break;
    default:
        break;
    }
}

void Reader::paragraphControl(const ControlInfo& info, const Token& token) {
    ParaState& para = state().para;
    switch (info.control) {
    case Control::Pard:
        para = ParaState{};
        break;
    case Control::AlignLeft:
        para.alignment = Alignment::Left;
        break;
    case Control::AlignCenter:
        para.alignment = Alignment::Center;
        break;
    case Control::AlignRight:
        para.alignment = Alignment::Right;
        break;
    case Control::AlignJustify:
        para.alignment = Alignment::Justify;
        break;
    case Control::LeftIndent:
        para.leftIndent = twips(token);
        break;
    case Control::RightIndent:
        para.rightIndent = twips(token);
        break;
    case Control::FirstIndent:
        para.firstIndent = twips(token);
        break;
    case Control::SpaceBefore:
        para.spaceBefore = twips(token);
        break;
    case Control::SpaceAfter:
        para.spaceAfter = twips(token);
        break;
    case Control::ListLevelNumber:
        para.ilvl = std::clamp(param(token, 0), 0, 8);
        break;
    case Control::PnBullet:
        para.pnType = PnType::Bullet;
        para.pnLevel = 0;
        break;
    case Control::PnBody:
        para.pnType = PnType::Numbered;
        para.pnLevel = 0;
        break;
    case Control::PnContinue:
        para.pnType = PnType::Continue;
        break;
    case Control::PnLevel:
        para.pnType = PnType::Numbered;
        para.pnLevel = std::clamp(param(token, 1) - 1, 0, 8);
        break;
    case Control::PnDecimal:
        para.pnStyle = ListKind::Decimal;
        break;
    case Control::PnUpperAlpha:
        para.pnStyle = ListKind::UpperAlpha;
        break;
    case Control::PnLowerAlpha:
        para.pnStyle = ListKind::LowerAlpha;
        break;
    case Control::PnUpperRoman:
        para.pnStyle = ListKind::UpperRoman;
        break;
    case Control::PnLowerRoman:
        para.pnStyle = ListKind::LowerRoman;
        break;
    default:
        break;
    }
}

void Reader::controlSymbol(const Token& token) {
    switch (token.text.empty() ? 0 : token.text[0]) {
    case '*':
        pendingStar_ = true;
        break;
    case '~':
        nameOrBodyCharacter(0x00A0);
        break;
    case '-':
        nameOrBodyCharacter(0x00AD);
        break;
    case '_':
        nameOrBodyCharacter(0x2011);
        break;
    case '\\':
    case '{':
    case '}':
        bytes(token.text);
        break;
    default:
        break; // \| \: and the like mark index entries and formulas
    }
}

} // namespace rtf
