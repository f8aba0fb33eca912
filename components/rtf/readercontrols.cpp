#include "components/rtf/controlwords.h"
#include "components/rtf/reader.h"
#include "components/rtf/units.h"

#include <algorithm>
#include <utility>

namespace rtf {
namespace {

// Words whose effect reaches the whole document: its tables and settings.
bool isDocumentWide(Control control) {
    switch (control) {
    case Control::FontTable:
    case Control::ColorTable:
    case Control::Ansi:
    case Control::Mac:
    case Control::Pc:
    case Control::Pca:
    case Control::AnsiCodePage:
    case Control::DefaultFont:
        return true;
    default:
        return false;
    }
}

} // namespace

// The one place where control words take effect; each kind goes to the
// helper for its part of the state.
void Reader::controlWord(const Token& token) {
    const ControlInfo info = lookupControl(token.text);
    // The parameter, with its default and limits, for every part below.
    const int value = info.parameter(token.hasParam, token.param);
    // A list or a shape whose group holds such a word (braces that do not
    // balance) is not kept whole: read again, the word would act again.
    if (isDocumentWide(info.control)) {
        lists_.spoilOpenGroups();
        if (shapeLevel_ != 0)
            shapeSpoiled_ = true;
    }
    const bool starred = pendingStar_;
    if (pendingStar_) {
        pendingStar_ = false;
        // \* marks a destination we may skip when we do not know it.
        if (info.kind != ControlKind::Destination) {
            skipGroup(token.text, starred);
            return;
        }
    }
    if (info.kind == ControlKind::Destination && destination(info, token.text, starred))
        return;
    if (stack_.size() == 2 && !bodyStarted_ && isDocumentFormattingWord(token.text)) {
        keepDocumentWord(token);
        // Only words the file gets back number the notes: a second reading
        // must number them the same.
        noteNumbering(token);
    } else if (bodyStarted_ && state().destination == Destination::Body &&
               isDocumentFormattingWord(token.text)) {
        // A section's own formatting, after a section break: kept where it
        // stands, ahead of the section's first paragraph.
        keepInline(wordText(token));
    }
    if (state().destination == Destination::Picture) {
        pictureControl(info, token, value);
        return;
    }
    if (info.control >= Control::ShapeLeft && info.control <= Control::ShapeBottom) {
        // The shape's own bounds come before its text; a shape inside its
        // text box has bounds of its own.
        if (shapeLevel_ != 0 && !shapeHasText_)
            shapeBounds_[std::size_t(int(info.control) - int(Control::ShapeLeft))] = value;
        return;
    }
    if (info.control == Control::DrawingWidth || info.control == Control::DrawingHeight) {
        // Its size as bounds from its corner: the place is kept with it.
        if (shapeLevel_ != 0)
            shapeBounds_[info.control == Control::DrawingWidth ? 2 : 3] = value;
        return;
    }
    if (state().destination == Destination::ShapeText) {
        switch (info.control) {
        case Control::Par:
        case Control::Cell:
        case Control::NestCell:
        case Control::Row:
        case Control::NestRow:
        case Control::SoftBreak:
            shapeTextCharacter(QChar::LineSeparator);
            return;
        default:
            break;
        }
    }
    if (state().listLevel && state().destination == Destination::ListTable) {
        if (token.text == "levelfollow")
            lists_.setLevelFollow(value);
        else if (isKeptListLevelWord(token.text, info.control))
            lists_.keepLevelWord(token.text, token.hasParam, token.param);
    } else if (state().destination == Destination::ListTable &&
               (token.text == "listhybrid" || token.text == "listrestarthdn")) {
        lists_.keepListWord(token.text, token.hasParam, token.param);
    }
    const bool body = state().destination == Destination::Body;
    // A paragraph's borders are kept as written, side by side.
    if (body && info.control == Control::OtherBorder && isParagraphBorderSide(token.text)) {
        keepBorderSide(state().para.borders, token.text);
        paragraphBorder_ = true;
        return;
    }
    if (paragraphBorder_) {
        if (body && (info.control == Control::BorderStyle || info.control == Control::BorderWidth ||
                     info.control == Control::BorderColor || token.text == "brsp")) {
            keepBorderWord(state().para.borders, token.text, token.hasParam, token.param);
            return;
        }
        paragraphBorder_ = false;
    }
    switch (info.control) {
    case Control::Par:
        if (body)
            endParagraph();
        return;
    case Control::Cell:
        if (body)
            endCell(1);
        return;
    case Control::NestCell:
        if (body)
            endCell(std::max(2, tableDepth(state().para)));
        return;
    case Control::Row:
        if (body)
            endRow(1);
        return;
    case Control::NestRow:
        if (body) {
            const int depth = tableDepth(state().para);
            endRow(depth >= 2 ? depth : std::max(2, definitionDepth_));
        }
        return;
    case Control::SoftBreak:
        // A page, column or section break ends its paragraph; the breaks that
        // Word writes after a \par would otherwise add empty paragraphs nobody
        // typed. The editor has no pages: the break is kept ahead of the next
        // paragraph, which readers begin on a new page, column or section.
        if (body) {
            if (paragraphHasContent_)
                endParagraph();
            // The section words after a break are the next section's, even
            // before any text.
            startBody();
            keepInline(wordText(token));
            if (token.text == "sect") {
                footnotes_ = footnoteNumbering_.eachSection ? 0 : footnotes_;
                endnotes_ = endnoteNumbering_.eachSection ? 0 : endnotes_;
            }
        }
        return;
    case Control::Character:
        character(info.character);
        return;
    case Control::NoteMark:
        if (body)
            noteMark();
        return;
    case Control::AnnotationMark:
        if (body)
            keepInline("\\chatn ");
        return;
    case Control::Unicode:
        unicode(value);
        return;
    default:
        break;
    }
    if (info.control == Control::Unknown && body) {
        if (isKeptCharacterWord(token.text))
            keepWord(state().chr.kept, token.text, token.hasParam, token.param);
        else if (isKeptParagraphWord(token.text))
            keepWord(state().para.kept, token.text, token.hasParam, token.param);
        return;
    }
    documentControl(info, token, value);
    tableControl(info, value);
    characterControl(info, value);
    paragraphControl(info, value);
    if (body)
        rowControl(info, value);
}

void Reader::skipGroup(std::string_view word, bool starred) {
    const bool inBody = state().destination == Destination::Body;
    const bool inPicture = state().destination == Destination::Picture;
    const bool inList = state().destination == Destination::ListTable && !state().listLevel;
    state().destination = Destination::Skip;
    // Only a group that its word opens, after \* at most, is kept whole or
    // taken as a field's instruction: text before the word went to the body
    // already, and written again it would show twice.
    const bool opensGroup = tokenCount_ - state().firstToken == (starred ? 1u : 0u);
    state().fieldInstruction = opensGroup && word == "fldinst";
    // A kept group stands directly in the document's: inside a paragraph's
    // own groups it would not be the document's.
    // Headers and footers once the text has begun belong to the section that
    // a break began, and are kept where they stood like the break.
    const bool sectionGroup = bodyStarted_ && isSectionGroup(word);
    state().keep = opensGroup && stack_.size() == 3 && isKeptDocumentGroup(word) && !sectionGroup;
    // Any other group of the body is kept where it stood; the document's own
    // groups only belong to the document (read back, one in the body would
    // move there).
    // A \nonshppict that follows no picture is the only one there is
    // (LibreOffice writes some so): kept, not taken for the other's stand-in.
    const bool alternative =
        isAlternativeGroup(word) && (word != "nonshppict" || shown_ == shownAtPicture_);
    state().keepInline = opensGroup && inBody && !state().keep && !state().fieldInstruction &&
                         !alternative && (!isKeptDocumentGroup(word) || sectionGroup);
    state().footnote = state().keepInline && word == "footnote";
    state().pictureProperties = opensGroup && inPicture && word == "picprop";
    state().listName = opensGroup && inList && word == "listname";
}

bool Reader::destination(const ControlInfo& info, std::string_view word, bool starred) {
    Destination target;
    switch (info.control) {
    case Control::SkipDestination:
        if (word == "leveltext" && state().destination == Destination::ListTable) {
            target = Destination::LevelText;
            break;
        }
        if (word == "lfolevel" && state().destination == Destination::ListOverrideTable &&
            !state().overrideLevel) {
            lists_.beginOverrideLevel();
            state().overrideLevel = true;
            return true;
        }
        if ((word == "pntxtb" || word == "pntxta") && state().destination == Destination::Pn) {
            target = word == "pntxtb" ? Destination::PnTextBefore : Destination::PnTextAfter;
            break;
        }
        if (stack_.size() > 2)
            skipGroup(word, starred);
        return true;
    case Control::ListTextFallback:
        target = Destination::Skip;
        break;
    case Control::Transparent:
        if (word == "field" && state().destination == Destination::Body) {
            // Hidden text before the field, still waiting, is no part of it:
            // kept whole for showing nothing, the field would take it along.
            flushRun();
            state().inlineAtOpen = inlineKept_;
        }
        if ((word == "shp" || word == "shpgrp" || word == "object" || word == "do") &&
            shapeLevel_ == 0 && state().destination == Destination::Body && stack_.size() > 2 &&
            tokenCount_ - state().firstToken == (starred ? 1u : 0u)) {
            settleNoteMark();
            flushRun(); // the text before the shape is no content of it
            state().shape = true;
            shapeLevel_ = stack_.size();
            shapeHasContent_ = false;
            shapeSpoiled_ = false;
            shapeInlineStart_ = inline_.size();
            shapeHasText_ = false;
            shapeText_.clear();
            shapeBounds_ = {};
        }
        // A text box: its text is the kept shape's, shown in its picture, as
        // long as nothing of the shape went to the body before it (its
        // picture, still held, has not).
        if ((word == "shptxt" || word == "dptxbxtext") && shapeLevel_ != 0 &&
            state().destination == Destination::Body) {
            flushRun();
            if (!shapeHasContent_ || !shapePictures_.empty()) {
                state().destination = Destination::ShapeText;
                if (shapeHasText_) // another box of the same group of shapes
                    shapeText_.appendChar(QChar::LineSeparator);
                shapeHasText_ = true;
            }
        }
        return true;
    case Control::NestTableProps:
        // Some writers put a nested row's text inside its definition too; the
        // text keeps the format its own words give it (LibreOffice drops that
        // format and shows it plain, which would lose what the file says).
        state().nestedRowDefinition = true;
        return true;
    case Control::Picture:
        // Only a picture of the body can be shown; one inside another is noise.
        if (state().destination != Destination::Body) {
            target = Destination::Skip;
            break;
        }
        picture_ = Picture{};
        pictureNibble_ = -1;
        target = Destination::Picture;
        break;
    case Control::FontTable:
        // Fonts are the header's: a table after the text has begun would
        // rename fonts that text already showed in (only broken files have one).
        target = bodyStarted_ ? Destination::Skip : Destination::FontTable;
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
    // A shape's properties are skipped but for its picture (\sn pib), which
    // is how Word and LibreOffice write floating pictures.
    case Control::ShapeProperty:
        shapeProperty_.clear();
        if (state().destination == Destination::Body)
            return true;
        target = Destination::Skip;
        break;
    case Control::ShapeName:
        shapeProperty_.clear();
        target = Destination::ShapeName;
        break;
    case Control::ShapeValue:
        if (state().destination == Destination::Body && shapeProperty_ == "pib")
            return true;
        target = Destination::Skip;
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

void Reader::documentControl(const ControlInfo& info, const Token& token, int value) {
    // The document's character set and default font are its own group's:
    // said again inside another group (a shape kept whole, another document
    // nested in a picture), they would change how the rest of the file reads
    // once that group is written back.
    if (isDocumentWide(info.control) && stack_.size() != 2)
        return;
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
        defaultFont_ = value;
        break;
    case Control::UnicodeSkip:
        state().unicodeSkip = value;
        break;
    default:
        return;
    }
    codePageFont_ = -2;
}

void Reader::tableControl(const ControlInfo& info, int value) {
    const Destination where = state().destination;
    switch (info.control) {
    case Control::Font:
        if (where == Destination::FontTable) {
            fonts_.endFont(documentCodePage());
            fonts_.beginFont(value);
        }
        break;
    case Control::FontCharset:
        if (where == Destination::FontTable)
            fonts_.setCharset(value);
        break;
    case Control::FontCodePage:
        if (where == Destination::FontTable)
            fonts_.setCodePage(value);
        break;
    case Control::Red:
        colors_.setRed(value);
        break;
    case Control::Green:
        colors_.setGreen(value);
        break;
    case Control::Blue:
        colors_.setBlue(value);
        break;
    case Control::List:
        if (where == Destination::ListTable)
            lists_.beginList(tableEntryGroup());
        break;
    case Control::ListLevel:
        if (where == Destination::ListTable) {
            lists_.beginLevel();
            state().listLevel = true;
        }
        break;
    case Control::LevelNumbering:
        if (where == Destination::ListTable)
            lists_.setLevelNumbering(value);
        break;
    case Control::LevelStart:
        if (where == Destination::ListTable)
            lists_.setLevelStart(value);
        else if (where == Destination::ListOverrideTable && state().overrideLevel)
            lists_.setOverrideStart(value);
        break;
    case Control::ListId:
        if (where == Destination::ListTable)
            lists_.setListId(value);
        else if (where == Destination::ListOverrideTable)
            lists_.setOverrideListId(value);
        break;
    case Control::ListOverride:
        if (where == Destination::ListOverrideTable)
            lists_.beginOverride(tableEntryGroup());
        break;
    case Control::ListNumber:
        if (where == Destination::ListOverrideTable)
            lists_.setOverrideNumber(value);
        else
            state().para.ls = value;
        break;
    default:
        break;
    }
}

void Reader::characterControl(const ControlInfo& info, int value) {
    CharState& chr = state().chr;
    switch (info.control) {
    case Control::Plain: {
        // The fields around the text are no format: \plain leaves them.
        KeptRtfList fields = std::move(chr.fields);
        chr = CharState{};
        chr.font = chr.bytesFont = defaultFont_;
        chr.fields = std::move(fields);
        break;
    }
    case Control::Font:
        if (state().destination == Destination::FontTable)
            break;
        (chr.doubleByte ? chr.eastAsianFont : chr.font) = value;
        chr.bytesFont = value;
        break;
    case Control::DoubleByte:
        chr.doubleByte = info.value != 0;
        break;
    case Control::FontSize: {
        chr.halfPoints = value > 0 ? value : 24;
        break;
    }
    case Control::Bold:
        chr.bold = value != 0;
        break;
    case Control::Italic:
        chr.italic = value != 0;
        break;
    case Control::Underline:
        chr.underline = value != 0;
        chr.underlineStyle = info.value;
        break;
    case Control::AllCaps:
        chr.caps = value != 0 ? Caps::All : Caps::None;
        break;
    case Control::SmallCaps:
        chr.caps = value != 0 ? Caps::Small : Caps::None;
        break;
    case Control::Expand:
        chr.spacing = value * 5; // quarter points to twips
        break;
    case Control::ExpandTwips:
        chr.spacing = value;
        break;
    case Control::Up:
        chr.raise = value;
        break;
    case Control::Down:
        chr.raise = -value;
        break;
    case Control::UnderlineNone:
        chr.underline = false;
        break;
    case Control::Strike:
        chr.strike = value != 0;
        break;
    case Control::Color:
        chr.color = value;
        break;
    case Control::Background:
        chr.background = value;
        break;
    case Control::Highlight:
        chr.highlight = value;
        break;
    case Control::Super:
        chr.position = value != 0 ? VerticalPosition::Super : VerticalPosition::Normal;
        break;
    case Control::Sub:
        chr.position = value != 0 ? VerticalPosition::Sub : VerticalPosition::Normal;
        break;
    case Control::NoSuperSub:
        chr.position = VerticalPosition::Normal;
        break;
    case Control::Hidden:
        chr.hidden = value != 0;
        break;
    default:
        break;
    }
}

void Reader::paragraphControl(const ControlInfo& info, int value) {
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
    case Control::RightToLeftPara:
        para.rightToLeft = true;
        break;
    case Control::LeftToRightPara:
        para.rightToLeft = false;
        break;
    case Control::LeftIndent:
        para.leftIndent = value;
        para.indentsGiven |= IndentsGiven::left;
        if (state().destination == Destination::ListTable)
            lists_.setLevelIndent(ListTable::Indent::Left, value);
        break;
    case Control::RightIndent:
        para.rightIndent = value;
        para.indentsGiven |= IndentsGiven::right;
        break;
    case Control::StartIndent:
        para.startIndent = value;
        if (state().destination == Destination::ListTable)
            lists_.setLevelIndent(ListTable::Indent::Left, value);
        break;
    case Control::EndIndent:
        para.endIndent = value;
        break;
    case Control::FirstIndent:
        para.firstIndent = value;
        para.indentsGiven |= IndentsGiven::first;
        if (state().destination == Destination::ListTable)
            lists_.setLevelIndent(ListTable::Indent::First, value);
        break;
    case Control::SpaceBefore:
        para.spaceBefore = value;
        break;
    case Control::SpaceAfter:
        para.spaceAfter = value;
        break;
    case Control::LineSpacing:
        para.sl = value;
        break;
    case Control::LineMultiple:
        para.slmult = value != 0;
        break;
    case Control::TabKind:
        para.nextTab.kind = static_cast<TabKind>(info.value);
        break;
    case Control::TabLeader:
        para.nextTab.leader = static_cast<TabLeader>(info.value);
        break;
    case Control::TabPosition: {
        // Stops stay in position order, one per position, however the file
        // lists them; a paragraph has at most a page width of them.
        TabStop stop = std::exchange(para.nextTab, TabStop{});
        stop.position = value;
        auto at = std::lower_bound(
            para.tabs.begin(), para.tabs.end(), stop.position,
            [](const TabStop& tab, int position) { return tab.position < position; });
        if (at != para.tabs.end() && at->position == stop.position)
            *at = stop;
        else if (para.tabs.size() < 256)
            para.tabs.insert(at, stop);
        break;
    }
    case Control::ListLevelNumber:
        para.ilvl = value;
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
        para.pnLevel = value - 1;
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
