#include "components/rtf/qtformats.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/listtable.h"
#include "components/rtf/units.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace rtf {

namespace {

// How Qt draws each underline word (see underlineWords); double, thick and
// words-only lines show as the nearest it can draw.
constexpr QTextCharFormat::UnderlineStyle drawnUnderline[] = {
    QTextCharFormat::SingleUnderline, QTextCharFormat::DotLine,
    QTextCharFormat::DashUnderline,   QTextCharFormat::DashDotLine,
    QTextCharFormat::DashDotDotLine,  QTextCharFormat::SingleUnderline,
    QTextCharFormat::WaveUnderline,   QTextCharFormat::DashUnderline,
    QTextCharFormat::SingleUnderline, QTextCharFormat::DotLine,
    QTextCharFormat::DashUnderline,   QTextCharFormat::DashDotLine,
    QTextCharFormat::DashDotDotLine,  QTextCharFormat::DashUnderline,
    QTextCharFormat::WaveUnderline,   QTextCharFormat::SingleUnderline,
    QTextCharFormat::WaveUnderline};
static_assert(std::size(drawnUnderline) == std::size(underlineWords));

} // namespace

QTextCharFormat toCharFormat(const RunFormat& run) {
    QTextCharFormat format;
    if (!run.family.isEmpty())
        format.setFontFamilies(QStringList{run.family});
    if (run.points > 0)
        format.setFontPointSize(run.points);
    if (run.bold)
        format.setFontWeight(QFont::Bold);
    if (run.italic)
        format.setFontItalic(true);
    if (run.underline)
        format.setFontUnderline(true);
    if (run.strike)
        format.setFontStrikeOut(true);
    if (run.color)
        format.setForeground(QColor::fromRgb(*run.color));
    if (run.background)
        format.setBackground(QColor::fromRgb(*run.background));
    if (run.position == VerticalPosition::Super)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (run.position == VerticalPosition::Sub)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (run.underline && run.underlineStyle != 0 &&
        run.underlineStyle < std::size(drawnUnderline)) {
        format.setUnderlineStyle(drawnUnderline[run.underlineStyle]);
        format.setProperty(property::underlineWord, int(run.underlineStyle));
    }
    if (run.caps != Caps::None)
        format.setFontCapitalization(run.caps == Caps::All ? QFont::AllUppercase
                                                           : QFont::SmallCaps);
    if (run.spacing != 0) {
        format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        format.setFontLetterSpacing(units::pixelsFromTwips(run.spacing));
    }
    if (!run.kept.isEmpty())
        format.setProperty(property::keptWords, run.kept);
    if (!run.eastAsianFamily.isEmpty()) {
        format.setProperty(property::latinFamily, run.latinFamily);
        format.setProperty(property::eastAsianFamily, run.eastAsianFamily);
    }
    if (!run.fields.isEmpty()) {
        format.setProperty(property::fieldInstruction, QVariant::fromValue(run.fields));
        // The innermost hyperlink is the one the text opens.
        for (auto field = run.fields.crbegin(); field != run.fields.crend(); ++field) {
            const QString target = hyperlinkTarget(field->rtf);
            if (!target.isEmpty()) {
                format.setAnchor(true);
                format.setAnchorHref(target);
                break;
            }
        }
    }
    if (!run.before.rtf.isEmpty())
        format.setProperty(property::keptBefore, QVariant::fromValue(KeptRtfList{run.before}));
    if (!run.object.rtf.isEmpty())
        format.setProperty(property::keptObject, QVariant::fromValue(KeptRtfList{run.object}));
    if (run.raise != 0) {
        format.setProperty(property::raise, run.raise);
        const double points = run.points > 0 ? run.points : 12.0;
        format.setBaselineOffset(run.raise / 2.0 / points * 100.0);
    }
    return format;
}

KeptRtfList fieldsOf(const QTextCharFormat& format) {
    return format.property(property::fieldInstruction).value<KeptRtfList>();
}

RunFormat runFormatOf(const QTextCharFormat& format, const QFont& defaultFont) {
    RunFormat run;
    if (format.hasProperty(QTextFormat::FontFamilies))
        run.family = format.property(QTextFormat::FontFamilies).toStringList().value(0);
    if (run.family.isEmpty() && format.hasProperty(QTextFormat::FontFamily))
        run.family = format.property(QTextFormat::FontFamily).toString();
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
        run.points = format.fontPointSize();
    run.bold = format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight() >= QFont::DemiBold
                                                           : defaultFont.bold();
    run.italic =
        format.hasProperty(QTextFormat::FontItalic) ? format.fontItalic() : defaultFont.italic();
    // Any line style is underlined; fontUnderline() counts the single one only.
    run.underline = format.hasProperty(QTextFormat::TextUnderlineStyle)
                        ? format.underlineStyle() != QTextCharFormat::NoUnderline &&
                              format.underlineStyle() != QTextCharFormat::SpellCheckUnderline
                    : format.hasProperty(QTextFormat::FontUnderline) ? format.fontUnderline()
                                                                     : defaultFont.underline();
    run.strike = format.hasProperty(QTextFormat::FontStrikeOut) ? format.fontStrikeOut()
                                                                : defaultFont.strikeOut();
    const auto rgb = [](const QBrush& brush) -> std::optional<QRgb> {
        if (brush.style() == Qt::NoBrush)
            return std::nullopt;
        return brush.color().rgb();
    };
    run.color = rgb(format.foreground());
    run.background = rgb(format.background());
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        run.position = VerticalPosition::Super;
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        run.position = VerticalPosition::Sub;
    if (run.underline) {
        const QTextCharFormat::UnderlineStyle drawn = format.underlineStyle();
        const int word = format.intProperty(property::underlineWord);
        if (word > 0 && word < int(std::size(drawnUnderline)) && drawnUnderline[word] == drawn) {
            run.underlineStyle = UnderlineStyle(word);
        } else {
            // Drawn by Qt alone (the toolbar's underline is single): its first word.
            const auto* first =
                std::find(std::begin(drawnUnderline), std::end(drawnUnderline), drawn);
            run.underlineStyle = first == std::end(drawnUnderline)
                                     ? 0
                                     : UnderlineStyle(first - std::begin(drawnUnderline));
        }
    }
    switch (format.fontCapitalization()) {
    case QFont::AllUppercase:
        run.caps = Caps::All;
        break;
    case QFont::SmallCaps:
        run.caps = Caps::Small;
        break;
    default:
        break;
    }
    if (format.hasProperty(QTextFormat::FontLetterSpacing) &&
        format.fontLetterSpacingType() == QFont::AbsoluteSpacing)
        run.spacing = units::twipsFromPixels(format.fontLetterSpacing());
    run.raise = format.intProperty(property::raise);
    run.kept = format.property(property::keptWords).toByteArray();
    // The pair holds while the text shows one of them: a font the user chose
    // since is the text's own.
    run.latinFamily = format.stringProperty(property::latinFamily);
    run.eastAsianFamily = format.stringProperty(property::eastAsianFamily);
    if (run.family != run.latinFamily && run.family != run.eastAsianFamily)
        run.latinFamily = run.eastAsianFamily = QString();
    const auto kept = [&](int property) {
        return format.property(property).value<KeptRtfList>().value(0);
    };
    run.fields = fieldsOf(format);
    run.before = kept(property::keptBefore);
    run.object = kept(property::keptObject);
    return run;
}

QTextBlockFormat toBlockFormat(const ParagraphFormat& paragraph) {
    QTextBlockFormat format;
    if (paragraph.rightToLeft)
        format.setLayoutDirection(Qt::RightToLeft);
    // RTF's \ql and \qr name the page's sides, also in a right-to-left
    // paragraph, where Qt would otherwise swap them.
    switch (paragraph.alignment) {
    case Alignment::Left:
        format.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
        break;
    case Alignment::Center:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case Alignment::Right:
        format.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
        break;
    case Alignment::Justify:
        format.setAlignment(Qt::AlignJustify);
        break;
    }
    // Fractions of a pixel stay, so that the twips come back exactly on save.
    if (paragraph.leftIndent)
        format.setLeftMargin(units::pixelsFromTwips(paragraph.leftIndent));
    if (paragraph.rightIndent)
        format.setRightMargin(units::pixelsFromTwips(paragraph.rightIndent));
    if (paragraph.firstIndent)
        format.setTextIndent(units::pixelsFromTwips(paragraph.firstIndent));
    if (paragraph.spaceBefore)
        format.setTopMargin(units::pixelsFromTwips(paragraph.spaceBefore));
    if (paragraph.spaceAfter)
        format.setBottomMargin(units::pixelsFromTwips(paragraph.spaceAfter));
    switch (paragraph.line.rule) {
    case LineRule::Single:
        break;
    case LineRule::Proportional:
        format.setLineHeight(paragraph.line.amount, QTextBlockFormat::ProportionalHeight);
        break;
    case LineRule::AtLeast:
        format.setLineHeight(units::pixelsFromTwips(paragraph.line.amount),
                             QTextBlockFormat::MinimumHeight);
        break;
    case LineRule::Exact:
        format.setLineHeight(units::pixelsFromTwips(paragraph.line.amount),
                             QTextBlockFormat::FixedHeight);
        break;
    }
    if (!paragraph.kept.rtf.isEmpty())
        format.setProperty(property::paragraphWords,
                           QVariant::fromValue(KeptRtfList{paragraph.kept}));
    if (!paragraph.beforeEnd.rtf.isEmpty())
        format.setProperty(property::keptBeforeEnd,
                           QVariant::fromValue(KeptRtfList{paragraph.beforeEnd}));
    if (paragraph.indentsGiven != 0)
        format.setProperty(property::indentsGiven, paragraph.indentsGiven);
    if (!paragraph.tabs.empty()) {
        QList<QTextOption::Tab> tabs;
        QList<int> leaders;
        for (const TabStop& stop : paragraph.tabs) {
            static constexpr QTextOption::TabType types[] = {
                QTextOption::LeftTab, QTextOption::CenterTab, QTextOption::RightTab,
                QTextOption::DelimiterTab};
            tabs.append(QTextOption::Tab(units::pixelsFromTwips(stop.position),
                                         types[static_cast<int>(stop.kind)],
                                         stop.kind == TabKind::Decimal ? QChar(u'.') : QChar()));
            leaders.append(static_cast<int>(stop.leader));
        }
        format.setTabPositions(tabs);
        if (std::any_of(leaders.cbegin(), leaders.cend(), [](int leader) { return leader != 0; }))
            format.setProperty(property::tabLeaders, QVariant::fromValue(leaders));
    }
    return format;
}

ParagraphFormat paragraphFormatOf(const QTextBlock& block, int tableDepth) {
    const QTextBlockFormat format = block.blockFormat();
    ParagraphFormat paragraph;
    paragraph.rightToLeft = format.layoutDirection() == Qt::RightToLeft;
    const Qt::Alignment align = format.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignHCenter)
        paragraph.alignment = Alignment::Center;
    else if (align & (Qt::AlignRight | Qt::AlignTrailing))
        paragraph.alignment = Alignment::Right;
    else if (align & Qt::AlignJustify)
        paragraph.alignment = Alignment::Justify;
    paragraph.leftIndent = units::twipsFromPixels(format.leftMargin());
    paragraph.rightIndent = units::twipsFromPixels(format.rightMargin());
    paragraph.firstIndent = units::twipsFromPixels(format.textIndent());
    paragraph.spaceBefore = units::twipsFromPixels(format.topMargin());
    paragraph.spaceAfter = units::twipsFromPixels(format.bottomMargin());
    paragraph.line = lineSpacingOf(format);
    paragraph.tabs = tabStopsOf(format);
    paragraph.kept = format.property(property::paragraphWords).value<KeptRtfList>().value(0);
    paragraph.beforeEnd = format.property(property::keptBeforeEnd).value<KeptRtfList>().value(0);
    paragraph.indentsGiven = static_cast<std::uint8_t>(format.intProperty(property::indentsGiven));
    setListOf(paragraph, block.textList());
    paragraph.tableDepth = tableDepth;
    return paragraph;
}

void setListOf(ParagraphFormat& paragraph, const QTextList* list) {
    if (!list)
        return;
    const QTextListFormat format = list->format();
    paragraph.list = listKindOf(list);
    paragraph.listLevel = listLevelOf(format);
    paragraph.listLabel = listLabelOf(format);
    paragraph.listId = listIdOf(format);
}

LineSpacing lineSpacingOf(const QTextBlockFormat& format) {
    const auto twips = [&] { return units::twipsFromPixels(format.lineHeight()); };
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (static_cast<int>(std::lround(format.lineHeight())) != 100)
            return {LineRule::Proportional, static_cast<int>(std::lround(format.lineHeight()))};
        break;
    case QTextBlockFormat::MinimumHeight:
        return {LineRule::AtLeast, twips()};
    case QTextBlockFormat::FixedHeight:
        return {LineRule::Exact, twips()};
    default:
        break;
    }
    return {};
}

std::vector<TabStop> tabStopsOf(const QTextBlockFormat& format) {
    std::vector<TabStop> stops;
    const QList<int> leaders = format.property(property::tabLeaders).value<QList<int>>();
    const QList<QTextOption::Tab> tabs = format.tabPositions();
    for (qsizetype i = 0; i < tabs.size(); ++i) {
        TabStop stop;
        stop.position = units::twipsFromPixels(tabs[i].position);
        switch (tabs[i].type) {
        case QTextOption::CenterTab:
            stop.kind = TabKind::Center;
            break;
        case QTextOption::RightTab:
            stop.kind = TabKind::Right;
            break;
        case QTextOption::DelimiterTab:
            stop.kind = TabKind::Decimal;
            break;
        default:
            break;
        }
        stop.leader = static_cast<TabLeader>(
            std::clamp(leaders.value(i), 0, static_cast<int>(TabLeader::Equal)));
        stops.push_back(stop);
    }
    return stops;
}

QTextListFormat::Style toListStyle(ListKind kind, BulletShape bullet) {
    switch (kind) {
    case ListKind::Bullet:
        return bullet == BulletShape::Circle   ? QTextListFormat::ListCircle
               : bullet == BulletShape::Square ? QTextListFormat::ListSquare
                                               : QTextListFormat::ListDisc;
    case ListKind::LowerAlpha:
        return QTextListFormat::ListLowerAlpha;
    case ListKind::UpperAlpha:
        return QTextListFormat::ListUpperAlpha;
    case ListKind::LowerRoman:
        return QTextListFormat::ListLowerRoman;
    case ListKind::UpperRoman:
        return QTextListFormat::ListUpperRoman;
    default:
        return QTextListFormat::ListDecimal;
    }
}

QTextListFormat toListFormat(ListKind kind, const ListLabel& label, int level, int listId,
                             const QStringList& parentNumbers) {
    QTextListFormat format;
    format.setStyle(toListStyle(kind, label.bullet));
    format.setIndent(level + 1);
    if (listId != 0)
        format.setProperty(property::listId, listId);
    if (label.start != ListLabel().start)
        format.setProperty(property::listStart, label.start);
    if (label.left)
        format.setProperty(property::listLevelLeft, *label.left);
    if (label.first)
        format.setProperty(property::listLevelFirst, *label.first);
    if (label.numbering)
        format.setProperty(property::listNumbering, *label.numbering);
    if (label.follow != ListLabel().follow)
        format.setProperty(property::listFollow, label.follow);
    if (!label.words.empty())
        format.setProperty(property::listLevelWords, QByteArray::fromStdString(label.words));
    if (!label.listWords.empty())
        format.setProperty(property::listWords, QByteArray::fromStdString(label.listWords));
    if (kind != ListKind::Bullet) {
        const QString shown = withLevelNumbers(label.prefix, parentNumbers);
        if (std::any_of(label.prefix.begin(), label.prefix.end(),
                        [](QChar c) { return c.unicode() < 9; }))
            format.setProperty(property::listPrefixLevels, label.prefix);
        if (!shown.isEmpty())
            format.setNumberPrefix(shown);
        if (label.suffix != ListLabel().suffix)
            format.setNumberSuffix(label.suffix);
    }
    return format;
}

int listIdOf(const QTextListFormat& format) {
    return format.intProperty(property::listId);
}

ListKind listKindOf(const QTextList* list) {
    if (!list)
        return ListKind::None;
    switch (list->format().style()) {
    case QTextListFormat::ListDisc:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListSquare:
        return ListKind::Bullet;
    case QTextListFormat::ListLowerAlpha:
        return ListKind::LowerAlpha;
    case QTextListFormat::ListUpperAlpha:
        return ListKind::UpperAlpha;
    case QTextListFormat::ListLowerRoman:
        return ListKind::LowerRoman;
    case QTextListFormat::ListUpperRoman:
        return ListKind::UpperRoman;
    default:
        return ListKind::Decimal;
    }
}

ListLabel listLabelOf(const QTextListFormat& format) {
    ListLabel label;
    if (format.style() == QTextListFormat::ListCircle)
        label.bullet = BulletShape::Circle;
    else if (format.style() == QTextListFormat::ListSquare)
        label.bullet = BulletShape::Square;
    // Qt shows "." after a number unless told otherwise.
    if (format.hasProperty(property::listStart))
        label.start = format.intProperty(property::listStart);
    if (format.hasProperty(property::listLevelLeft))
        label.left = format.intProperty(property::listLevelLeft);
    if (format.hasProperty(property::listLevelFirst))
        label.first = format.intProperty(property::listLevelFirst);
    if (format.hasProperty(property::listNumbering))
        label.numbering = format.intProperty(property::listNumbering);
    label.follow = format.intProperty(property::listFollow);
    label.words = format.property(property::listLevelWords).toByteArray().toStdString();
    label.listWords = format.property(property::listWords).toByteArray().toStdString();
    if (format.hasProperty(property::listPrefixLevels))
        label.prefix = format.stringProperty(property::listPrefixLevels);
    else if (format.hasProperty(QTextFormat::ListNumberPrefix))
        label.prefix = format.numberPrefix();
    if (format.hasProperty(QTextFormat::ListNumberSuffix))
        label.suffix = format.numberSuffix();
    return label;
}

int listLevelOf(const QTextListFormat& format) {
    return std::clamp(format.indent() - 1, 0, 8);
}

namespace {

QTextFrameFormat::BorderStyle toBorderStyle(BorderStyle style) {
    switch (style) {
    case BorderStyle::Solid:
        return QTextFrameFormat::BorderStyle_Solid;
    case BorderStyle::Double:
        return QTextFrameFormat::BorderStyle_Double;
    case BorderStyle::Dotted:
        return QTextFrameFormat::BorderStyle_Dotted;
    case BorderStyle::Dashed:
        return QTextFrameFormat::BorderStyle_Dashed;
    case BorderStyle::None:
        break;
    }
    return QTextFrameFormat::BorderStyle_None;
}

BorderStyle borderStyleOf(QTextFrameFormat::BorderStyle style) {
    switch (style) {
    case QTextFrameFormat::BorderStyle_None:
        return BorderStyle::None;
    case QTextFrameFormat::BorderStyle_Double:
        return BorderStyle::Double;
    case QTextFrameFormat::BorderStyle_Dotted:
        return BorderStyle::Dotted;
    case QTextFrameFormat::BorderStyle_Dashed:
    case QTextFrameFormat::BorderStyle_DotDash:
    case QTextFrameFormat::BorderStyle_DotDotDash:
        return BorderStyle::Dashed;
    default:
        return BorderStyle::Solid;
    }
}

// The four sides of a cell format, top, left, bottom, right.
struct Side {
    qreal (QTextTableCellFormat::*width)() const;
    void (QTextTableCellFormat::*setWidth)(qreal);
    QTextFrameFormat::BorderStyle (QTextTableCellFormat::*style)() const;
    void (QTextTableCellFormat::*setStyle)(QTextFrameFormat::BorderStyle);
    QBrush (QTextTableCellFormat::*brush)() const;
    void (QTextTableCellFormat::*setBrush)(const QBrush&);
    CellBorder CellFormat::*border;
};
constexpr Side sides[] = {
    {&QTextTableCellFormat::topBorder, &QTextTableCellFormat::setTopBorder,
     &QTextTableCellFormat::topBorderStyle, &QTextTableCellFormat::setTopBorderStyle,
     &QTextTableCellFormat::topBorderBrush, &QTextTableCellFormat::setTopBorderBrush,
     &CellFormat::top},
    {&QTextTableCellFormat::leftBorder, &QTextTableCellFormat::setLeftBorder,
     &QTextTableCellFormat::leftBorderStyle, &QTextTableCellFormat::setLeftBorderStyle,
     &QTextTableCellFormat::leftBorderBrush, &QTextTableCellFormat::setLeftBorderBrush,
     &CellFormat::left},
    {&QTextTableCellFormat::bottomBorder, &QTextTableCellFormat::setBottomBorder,
     &QTextTableCellFormat::bottomBorderStyle, &QTextTableCellFormat::setBottomBorderStyle,
     &QTextTableCellFormat::bottomBorderBrush, &QTextTableCellFormat::setBottomBorderBrush,
     &CellFormat::bottom},
    {&QTextTableCellFormat::rightBorder, &QTextTableCellFormat::setRightBorder,
     &QTextTableCellFormat::rightBorderStyle, &QTextTableCellFormat::setRightBorderStyle,
     &QTextTableCellFormat::rightBorderBrush, &QTextTableCellFormat::setRightBorderBrush,
     &CellFormat::right},
};

} // namespace

QTextTableCellFormat toCellFormat(const CellFormat& cell, int gap) {
    QTextTableCellFormat format;
    for (const Side& side : sides) {
        const CellBorder& border = cell.*side.border;
        if (border.style == BorderStyle::None || border.width <= 0)
            continue;
        (format.*side.setWidth)(units::pixelsFromTwips(border.width));
        (format.*side.setStyle)(toBorderStyle(border.style));
        (format.*
         side.setBrush)(QBrush(border.color ? QColor::fromRgb(*border.color) : QColor(Qt::black)));
    }
    if (cell.background)
        format.setBackground(QColor::fromRgb(*cell.background));
    if (cell.alignment == CellAlignment::Center)
        format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    else if (cell.alignment == CellAlignment::Bottom)
        format.setVerticalAlignment(QTextCharFormat::AlignBottom);
    if (gap > 0) {
        format.setLeftPadding(units::pixelsFromTwips(gap));
        format.setRightPadding(units::pixelsFromTwips(gap));
    }
    return format;
}

CellFormat cellFormatOf(const QTextTableCellFormat& format) {
    CellFormat cell;
    for (const Side& side : sides) {
        const int width = units::twipsFromPixels((format.*side.width)());
        const QTextFrameFormat::BorderStyle style = (format.*side.style)();
        if (width <= 0 || style == QTextFrameFormat::BorderStyle_None)
            continue;
        CellBorder& border = cell.*side.border;
        border.style = borderStyleOf(style);
        border.width = width;
        if (const QBrush brush = (format.*side.brush)(); brush.style() != Qt::NoBrush)
            border.color = brush.color().rgb();
    }
    if (format.background().style() != Qt::NoBrush)
        cell.background = format.background().color().rgb();
    if (format.verticalAlignment() == QTextCharFormat::AlignMiddle)
        cell.alignment = CellAlignment::Center;
    else if (format.verticalAlignment() == QTextCharFormat::AlignBottom)
        cell.alignment = CellAlignment::Bottom;
    return cell;
}

QList<int> pictureHeader(const Picture& p) {
    return {static_cast<int>(p.kind),
            p.kindParameter,
            p.width,
            p.height,
            p.goalWidth,
            p.goalHeight,
            p.scaleX,
            p.scaleY,
            p.cropLeft,
            p.cropRight,
            p.cropTop,
            p.cropBottom,
            p.bitsPerPixel,
            p.planes,
            p.widthBytes};
}

Picture pictureFromHeader(const QList<int>& h) {
    Picture p;
    if (h.size() != 15)
        return p;
    const int kind = h[0];
    p.kind = kind >= 0 && kind <= static_cast<int>(PictureKind::TextBox)
                 ? static_cast<PictureKind>(kind)
                 : PictureKind::Unknown;
    p.kindParameter = h[1];
    p.width = h[2];
    p.height = h[3];
    p.goalWidth = h[4];
    p.goalHeight = h[5];
    p.scaleX = h[6];
    p.scaleY = h[7];
    p.cropLeft = h[8];
    p.cropRight = h[9];
    p.cropTop = h[10];
    p.cropBottom = h[11];
    p.bitsPerPixel = h[12];
    p.planes = h[13];
    p.widthBytes = h[14];
    return p;
}

namespace {

// Whether the paragraph has any format of its own, kept words included.
bool hasParagraphFormat(const QTextBlock& block) {
    return paragraphFormatOf(block, 0) != ParagraphFormat{};
}

} // namespace

bool isBeforeFirstTable(const QTextBlock& block, bool firstInFrame, const QTextFrame* next) {
    return firstInFrame && block.length() == 1 && qobject_cast<const QTextTable*>(next) &&
           !hasParagraphFormat(block);
}

std::vector<FrameItem> frameItems(QTextFrame::iterator it) {
    std::vector<FrameItem> items;
    for (; !it.atEnd(); ++it) {
        if (QTextFrame* frame = it.currentFrame())
            items.emplace_back(frame);
        else
            items.emplace_back(it.currentBlock());
    }
    if (items.size() > 1 && std::holds_alternative<QTextBlock>(items[0]) &&
        std::holds_alternative<QTextFrame*>(items[1]) &&
        isBeforeFirstTable(std::get<QTextBlock>(items[0]), true, std::get<QTextFrame*>(items[1])))
        items.erase(items.begin());
    return items;
}

std::vector<int> tableGridOf(const QTextTable* table) {
    const QTextTableFormat format = table->format();
    const int columns = table->columns();
    const QList<int> stored = format.property(property::tableGrid).value<QList<int>>();
    if (stored.size() == columns + 1)
        return std::vector<int>(stored.begin(), stored.end());
    // A table from elsewhere: its widths where fixed, else an inch a column.
    std::vector<int> grid{0};
    const QList<QTextLength> widths = format.columnWidthConstraints();
    for (int c = 0; c < columns; ++c) {
        int width = units::twipsPerInch;
        if (c < widths.size() && widths[c].type() == QTextLength::FixedLength)
            width = std::max(1, units::twipsFromPixels(widths[c].rawValue()));
        grid.push_back(grid.back() + width);
    }
    return grid;
}

bool isFillerCell(const QTextTableCell& cell) {
    return cell.format().boolProperty(property::fillerCell) &&
           cell.firstPosition() == cell.lastPosition();
}

namespace {

// A text box shows its text in a thin frame, at the box's size where the file
// gives one and as tall as its text otherwise. Only the start of a long text
// is laid out: the box cannot show more.
QImage drawTextBox(const Picture& box) {
    constexpr int largest = 2000; // pixels, either way
    QTextDocument layout;
    layout.setDocumentMargin(4);
    layout.setPlainText(QString::fromUtf8(box.data.left(4096)));
    const auto pixels = [](int twips) { return int(std::lround(units::pixelsFromTwips(twips))); };
    const int width = std::clamp(box.goalWidth > 0 ? pixels(box.goalWidth) : 192, 16, largest);
    layout.setTextWidth(width);
    const int height = std::clamp(box.goalHeight > 0 ? pixels(box.goalHeight)
                                                     : int(std::ceil(layout.size().height())),
                                  16, largest);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    layout.drawContents(&painter, QRectF(0, 0, width, height));
    painter.setPen(QColor(0x90, 0x90, 0x90));
    painter.drawRect(0, 0, width - 1, height - 1);
    return image;
}

} // namespace

QImage decodePicture(const Picture& picture) {
    if (picture.kind == PictureKind::TextBox)
        return drawTextBox(picture);
    const char* format = picture.kind == PictureKind::Png    ? "png"
                         : picture.kind == PictureKind::Jpeg ? "jpeg"
                                                             : nullptr;
    if (!format || picture.data.isEmpty() || picture.data.size() > maxDecodedPictureBytes)
        return {};
    QBuffer buffer;
    buffer.setData(picture.data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() * 4 > maxDecodedPictureBytes)
        return {};
    return reader.read();
}

RowFormat rowFormatOf(const QTextTable* table, int row, const std::vector<int>& grid) {
    RowFormat format;
    const Qt::Alignment align = table->format().alignment();
    format.alignment = align & Qt::AlignHCenter ? Alignment::Center
                       : align & Qt::AlignRight ? Alignment::Right
                                                : Alignment::Left;
    bool first = true;
    for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(row, c);
        if (cell.column() != c || isFillerCell(cell))
            continue;
        const QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
        if (first) {
            first = false;
            format.gap = units::twipsFromPixels(cellFormat.leftPadding());
            format.left = grid[static_cast<std::size_t>(c)];
        }
        CellFormat written = cellFormatOf(cellFormat);
        written.rightEdge = grid[static_cast<std::size_t>(c + cell.columnSpan())];
        if (cell.rowSpan() > 1) {
            written.verticalMergeFirst = cell.row() == row;
            written.verticalMerged = cell.row() != row;
        }
        format.cells.push_back(written);
    }
    return format;
}

std::optional<Picture> pictureOf(const QTextImageFormat& image, const QTextDocument& document) {
    if (image.hasProperty(property::pictureHeader)) {
        Picture picture =
            pictureFromHeader(image.property(property::pictureHeader).value<QList<int>>());
        picture.data = image.property(property::pictureData).toByteArray();
        picture.properties = image.property(property::pictureProperties).toByteArray();
        return picture;
    }
    const QImage shown =
        document.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
    if (shown.isNull())
        return std::nullopt;
    Picture picture;
    QBuffer buffer(&picture.data);
    buffer.open(QIODevice::WriteOnly);
    shown.save(&buffer, "PNG");
    picture.kind = PictureKind::Png;
    picture.width = shown.width();
    picture.height = shown.height();
    picture.goalWidth = units::twipsFromPixels(image.width() > 0 ? image.width() : shown.width());
    picture.goalHeight =
        units::twipsFromPixels(image.height() > 0 ? image.height() : shown.height());
    return picture;
}

} // namespace rtf
