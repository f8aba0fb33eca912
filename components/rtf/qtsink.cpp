#include "components/rtf/qtsink.h"

#include <QTextDocument>
#include <QTextList>

namespace rtf {

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
    return format;
}

QTextBlockFormat toBlockFormat(const ParagraphFormat& paragraph) {
    QTextBlockFormat format;
    switch (paragraph.alignment) {
    case Alignment::Left:
        format.setAlignment(Qt::AlignLeft);
        break;
    case Alignment::Center:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case Alignment::Right:
        format.setAlignment(Qt::AlignRight);
        break;
    case Alignment::Justify:
        format.setAlignment(Qt::AlignJustify);
        break;
    }
    // Fractions of a pixel stay, so that the twips come back exactly on save.
    if (paragraph.leftIndent)
        format.setLeftMargin(paragraph.leftIndent / twipsPerPixel);
    if (paragraph.rightIndent)
        format.setRightMargin(paragraph.rightIndent / twipsPerPixel);
    if (paragraph.firstIndent)
        format.setTextIndent(paragraph.firstIndent / twipsPerPixel);
    if (paragraph.spaceBefore)
        format.setTopMargin(paragraph.spaceBefore / twipsPerPixel);
    if (paragraph.spaceAfter)
        format.setBottomMargin(paragraph.spaceAfter / twipsPerPixel);
    return format;
}

QTextListFormat::Style toListStyle(ListKind kind) {
    switch (kind) {
    case ListKind::Bullet:
        return QTextListFormat::ListDisc;
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
    if (runs_.empty() || !(format == lastRun_)) {
        lastRun_ = format;
        runs_.emplace_back(text.toString(), charFormat(format));
    } else {
        runs_.back().first += text;
    }
}

void QtDocumentSink::endParagraph(const ParagraphFormat& format, const RunFormat& markFormat) {
    const QTextBlockFormat blockFormat = toBlockFormat(format);
    const QTextCharFormat& markCharFormat = charFormat(markFormat);
    if (paragraphs_++ == 0) {
        cursor_.setBlockFormat(blockFormat);
        cursor_.setBlockCharFormat(markCharFormat);
    } else {
        cursor_.insertBlock(blockFormat, markCharFormat);
    }
    attachToList(format);
    for (const auto& [text, charFormat] : runs_)
        cursor_.insertText(text, charFormat);
    runs_.clear();
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

void QtDocumentSink::attachToList(const ParagraphFormat& format) {
    if (format.list == ListKind::None) {
        lists_.clear();
        return;
    }
    const auto key = std::make_pair(format.list, format.listLevel);
    auto found = lists_.find(key);
    if (found != lists_.end()) {
        found->second->add(cursor_.block());
        return;
    }
    QTextListFormat listFormat;
    listFormat.setStyle(toListStyle(format.list));
    listFormat.setIndent(format.listLevel + 1);
    lists_[key] = cursor_.createList(listFormat);
}

void QtDocumentSink::finish() {
    if (finished_)
        return;
    finished_ = true;
    // Runs after the last paragraph end cannot come from the reader, which
    // ends the last paragraph itself; keep them anyway rather than lose text.
    for (const auto& [text, charFormat] : runs_)
        cursor_.insertText(text, charFormat);
    runs_.clear();
    cursor_.endEditBlock();
    document_.setUndoRedoEnabled(undoWasEnabled_);
}

} // namespace rtf
