#include "components/rtf/qtsink.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/qttablebuilder.h"
#include "components/rtf/units.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>
#include <algorithm>
#include <atomic>
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
    if (!run.field.rtf.isEmpty()) {
        format.setProperty(property::fieldInstruction, QVariant::fromValue(KeptRtfList{run.field}));
        const QString target = hyperlinkTarget(run.field.rtf);
        if (!target.isEmpty()) {
            format.setAnchor(true);
            format.setAnchorHref(target);
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

void readTypography(const QTextCharFormat& format, RunFormat& run) {
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
    run.field = format.property(property::fieldInstruction).value<KeptRtfList>().value(0);
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

QTextListFormat toListFormat(ListKind kind, const ListLabel& label, int level) {
    QTextListFormat format;
    format.setStyle(toListStyle(kind, label.bullet));
    format.setIndent(level + 1);
    if (kind != ListKind::Bullet) {
        if (!label.prefix.isEmpty())
            format.setNumberPrefix(label.prefix);
        if (label.suffix != ListLabel().suffix)
            format.setNumberSuffix(label.suffix);
    }
    return format;
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
    p.kind = kind >= 0 && kind <= static_cast<int>(PictureKind::Bitmap)
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

// What a picture the document cannot draw shows: a grey frame, stretched to
// the picture's size.
const QImage& placeholderImage() {
    static const QImage image = [] {
        QImage frame(32, 32, QImage::Format_RGB32);
        frame.fill(QColor(0xe8, 0xe8, 0xe8));
        QPainter painter(&frame);
        painter.setPen(QColor(0x90, 0x90, 0x90));
        painter.drawRect(0, 0, 31, 31);
        return frame;
    }();
    return image;
}

// PNG and JPEG within the size bound; anything else stays bytes. The size
// is read from the header first, so that a small file claiming a huge
// picture allocates nothing.
QImage decode(const Picture& picture) {
    const char* format = picture.kind == PictureKind::Png    ? "png"
                         : picture.kind == PictureKind::Jpeg ? "jpeg"
                                                             : nullptr;
    if (!format || picture.data.isEmpty() || picture.data.size() > QtDocumentSink::maxDecodedBytes)
        return {};
    QBuffer buffer;
    buffer.setData(picture.data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() ||
        qint64(size.width()) * size.height() * 4 > QtDocumentSink::maxDecodedBytes)
        return {};
    return reader.read();
}

// Resource names are unique in the process, so that an image copied from
// one document into another never finds a different picture of the same name.
QUrl newPictureName() {
    static std::atomic<quint64> next{0};
    return QUrl(QStringLiteral("ferrotab-picture:%1").arg(++next));
}

} // namespace

QtDocumentSink::QtDocumentSink(QTextDocument& document)
    : document_(document), cursor_(&document), undoWasEnabled_(document.isUndoRedoEnabled()) {
    document_.setUndoRedoEnabled(false);
    cursor_.beginEditBlock();
    cursor_.select(QTextCursor::Document);
    cursor_.removeSelectedText();
    cursor_.setBlockFormat(QTextBlockFormat{});
    cursor_.setBlockCharFormat(QTextCharFormat{});
}

QtDocumentSink::~QtDocumentSink() {
    finish();
}

void QtDocumentSink::text(QStringView text, const RunFormat& format) {
    // Neighbouring runs often share a format (a format change and back); one
    // QTextCharFormat per change keeps the document's format table small.
    if (runs_.empty() || runClosed_ || !(format == lastRun_)) {
        lastRun_ = format;
        runs_.emplace_back(text.toString(), charFormat(format));
        runClosed_ = false;
    } else {
        runs_.back().first += text;
    }
}

void QtDocumentSink::picture(const Picture& picture, const RunFormat& format) {
    QImage image = decode(picture);
    const bool decoded = !image.isNull();
    if (!decoded)
        image = placeholderImage();
    double width = units::pixelsFromTwips(picture.intendedWidth(decoded ? image.width() : 0));
    double height = units::pixelsFromTwips(picture.intendedHeight(decoded ? image.height() : 0));
    // A picture that gives no size at all shows at an inch.
    if (width <= 0)
        width = 96;
    if (height <= 0)
        height = 96;
    const QUrl name = newPictureName();
    document_.addResource(QTextDocument::ImageResource, name, QVariant(image));
    QTextImageFormat imageFormat;
    imageFormat.merge(charFormat(format));
    imageFormat.setName(name.toString());
    imageFormat.setWidth(width);
    imageFormat.setHeight(height);
    imageFormat.setProperty(property::pictureData, picture.data);
    imageFormat.setProperty(property::pictureHeader, QVariant::fromValue(pictureHeader(picture)));
    if (!decoded)
        imageFormat.setProperty(property::picturePlaceholder, true);
    runs_.emplace_back(QString(QChar::ObjectReplacementCharacter), imageFormat);
    runClosed_ = true;
}

void QtDocumentSink::endParagraph(const ParagraphFormat& format, const RunFormat& markFormat) {
    const int depth = std::clamp(format.tableDepth, 0, 64);
    closeTablesDeeperThan(depth);
    PendingParagraph paragraph{format, charFormat(markFormat), std::move(runs_)};
    runs_.clear();
    runClosed_ = false;
    if (depth == 0) {
        writeParagraph(cursor_, blockFree_, paragraph, lists_);
        return;
    }
    openTablesTo(depth);
    openTables_[static_cast<std::size_t>(depth - 1)]->current.items.push_back(
        PendingItem{std::move(paragraph), nullptr});
}

void QtDocumentSink::endCell(int depth) {
    depth = std::clamp(depth, 1, 64);
    closeTablesDeeperThan(depth);
    openTablesTo(depth);
    PendingTable& table = *openTables_[static_cast<std::size_t>(depth - 1)];
    table.cells.push_back(std::move(table.current));
    table.current = PendingCell{};
}

void QtDocumentSink::endRow(const RowFormat& row, int depth) {
    depth = std::clamp(depth, 1, 64);
    closeTablesDeeperThan(depth);
    // A row end with no table open has nothing to end.
    if (openTables_.size() < static_cast<std::size_t>(depth))
        return;
    PendingTable& table = *openTables_[static_cast<std::size_t>(depth - 1)];
    if (!table.current.items.empty()) {
        table.cells.push_back(std::move(table.current));
        table.current = PendingCell{};
    }
    if (table.cells.empty() && row.cells.empty())
        return;
    table.rows.push_back(PendingRow{row, std::move(table.cells)});
    table.cells.clear();
}

std::size_t QtDocumentSink::RunFormatHash::operator()(const RunFormat& format) const {
    std::size_t seed = qHash(format.family);
    const auto mix = [&seed](std::size_t value) {
        seed ^= value + 0x9e3779b9 + (seed << 6) + (seed >> 2);
    };
    mix(std::hash<double>{}(format.points));
    mix(format.bold | format.italic << 1 | format.underline << 2 | format.strike << 3 |
        static_cast<unsigned>(format.position) << 4);
    mix(format.color ? *format.color : 0x1000000u);
    mix(format.background ? *format.background : 0x1000000u);
    return seed;
}

const QTextCharFormat& QtDocumentSink::charFormat(const RunFormat& format) {
    auto [entry, added] = charFormats_.try_emplace(format);
    if (added)
        entry->second = toCharFormat(format);
    return entry->second;
}

void QtDocumentSink::openTablesTo(int depth) {
    while (openTables_.size() < static_cast<std::size_t>(depth))
        openTables_.push_back(std::make_unique<PendingTable>());
}

void QtDocumentSink::closeTablesDeeperThan(int depth) {
    while (openTables_.size() > static_cast<std::size_t>(depth)) {
        std::unique_ptr<PendingTable> table = std::move(openTables_.back());
        openTables_.pop_back();
        // Cells whose row never ended still show, in a row of their own.
        if (!table->current.items.empty())
            table->cells.push_back(std::move(table->current));
        if (!table->cells.empty()) {
            RowFormat format = table->rows.empty() ? RowFormat{} : table->rows.back().format;
            table->rows.push_back(PendingRow{std::move(format), std::move(table->cells)});
        }
        if (table->rows.empty())
            continue;
        if (openTables_.empty()) {
            buildTable(cursor_, blockFree_, *table);
            lists_.clear();
        } else {
            openTables_.back()->current.items.push_back(PendingItem{{}, std::move(table)});
        }
    }
}

void QtDocumentSink::keep(const KeptRtf& kept) {
    kept_.append(kept);
}

void QtDocumentSink::noDefaultFont() {
    noDefaultFont_ = true;
}

void QtDocumentSink::finish() {
    if (finished_)
        return;
    finished_ = true;
    // What the file kept goes with the document, replacing what it had.
    setKeptRtf(document_, kept_);
    setNamesDefaultFont(document_, !noDefaultFont_);
    // Runs after the last paragraph end cannot come from the reader, which
    // ends the last paragraph itself; keep them anyway rather than lose text.
    Runs runs = std::move(runs_);
    runs_.clear();
    closeTablesDeeperThan(0);
    for (const auto& [text, charFormat] : runs)
        cursor_.insertText(text, charFormat);
    cursor_.endEditBlock();
    document_.setUndoRedoEnabled(undoWasEnabled_);
}

void writeParagraph(QTextCursor& cursor, bool& blockFree,
                    const QtDocumentSink::PendingParagraph& paragraph, QtDocumentSink::Lists& lists,
                    bool cellStart) {
    const ParagraphFormat& format = paragraph.format;
    const QTextBlockFormat blockFormat = toBlockFormat(format);
    const QTextCharFormat& markCharFormat = paragraph.mark;
    if (blockFree) {
        cursor.setBlockFormat(blockFormat);
        if (cellStart) {
            // The first block's character format is the cell's own format (its
            // spans, borders, shading): add to it, never replace it.
            QTextCharFormat mark = markCharFormat;
            mark.clearProperty(QTextFormat::BackgroundBrush);
            cursor.mergeBlockCharFormat(mark);
        } else {
            cursor.setBlockCharFormat(markCharFormat);
        }
        blockFree = false;
    } else {
        cursor.insertBlock(blockFormat, markCharFormat);
    }
    if (format.list == ListKind::None) {
        lists.clear();
    } else {
        const ListLabel& label = format.listLabel;
        const auto key = std::make_tuple(format.list, format.listLevel, label.bullet, label.prefix,
                                         label.suffix);
        auto found = lists.find(key);
        if (found != lists.end())
            found->second->add(cursor.block());
        else
            lists[key] = cursor.createList(toListFormat(format.list, label, format.listLevel));
    }
    for (const auto& [text, charFormat] : paragraph.runs)
        cursor.insertText(text, charFormat);
}

} // namespace rtf
