#include "components/rtf/qtsink.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/listtable.h"
#include "components/rtf/qttablebuilder.h"
#include "components/rtf/units.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QSet>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>

namespace rtf {

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
    QImage image = decodePicture(picture);
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
    if (!picture.properties.isEmpty())
        imageFormat.setProperty(property::pictureProperties, picture.properties);
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
            buildTable(cursor_, blockFree_, *table, lists_);
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

void OpenLists::add(QTextCursor& cursor, const ParagraphFormat& format) {
    const std::optional<ListNumbering::Item> item = numbering_.add(format);
    if (!item)
        return;
    if (static_cast<std::size_t>(item->list) < lists_.size()) {
        lists_[static_cast<std::size_t>(item->list)]->add(cursor.block());
        return;
    }
    // The editor counts from 1 (Qt's lists have no start), and so do the
    // numbers of the levels above that a label shows.
    lists_.push_back(
        cursor.createList(toListFormat(format.list, format.listLabel, format.listLevel,
                                       format.listId, numbering_.numbersAbove(format, false))));
}

namespace {

// What one walk through a document's lists finds out of step with their
// counting: items to move (to the Qt list of their run, or to a new one for a
// run whose list shows another), and labels to bring up to date.
struct ListRepairs {
    struct Move {
        QTextBlock block;
        int run = 0;
        QTextList* to = nullptr; // none yet: a new list
    };
    std::vector<Move> moves;
    std::vector<std::pair<QTextList*, QString>> labels;
};

ListRepairs listRepairs(const QTextDocument& document) {
    // Counted as the writer counts what it saves: a list that the file did
    // not name counts on its own, as its Qt list does.
    ListNumbering numbering;
    QHash<const QTextList*, int> ownIds;
    std::vector<QTextList*> shows; // by run of counting: the Qt list showing it
    QSet<const QTextList*> claimed, labelled;
    ListRepairs repairs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextList* list = block.textList();
        ParagraphFormat format;
        setListOf(format, list);
        if (list && format.listId == 0)
            format.listId = ownIds.contains(list) ? ownIds.value(list)
                                                  : *ownIds.insert(list, -1 - int(ownIds.size()));
        const std::optional<ListNumbering::Item> item = numbering.add(format);
        if (!list || !item)
            continue;
        const auto run = static_cast<std::size_t>(item->list);
        if (run >= shows.size())
            shows.resize(run + 1, nullptr);
        if (!shows[run] && !claimed.contains(list)) {
            shows[run] = list;
            claimed.insert(list);
        }
        if (shows[run] != list) {
            repairs.moves.push_back({block, item->list, shows[run]});
            continue;
        }
        if (!list->format().hasProperty(property::listPrefixLevels) || labelled.contains(list))
            continue;
        labelled.insert(list);
        const QString shown =
            withLevelNumbers(format.listLabel.prefix, numbering.numbersAbove(format, false));
        if (shown != list->format().numberPrefix())
            repairs.labels.emplace_back(list, shown);
    }
    return repairs;
}

} // namespace

bool followListNumbering(QTextDocument& document) {
    // Only the file's lists count across other lists and levels: without one,
    // every Qt list is a run of its own already.
    const QList<QTextFormat> formats = document.allFormats();
    if (std::none_of(formats.begin(), formats.end(), [](const QTextFormat& format) {
            return format.isListFormat() && format.hasProperty(property::listId);
        }))
        return false;
    std::optional<QTextCursor> edit;
    // Moves first, then the labels of the lists as they stand after them.
    // A second walk finds no moves; the bound is only a guard.
    for (int walk = 0; walk < 4; ++walk) {
        ListRepairs repairs = listRepairs(document);
        if (repairs.moves.empty() && repairs.labels.empty())
            break;
        if (!edit) {
            edit.emplace(&document);
            edit->joinPreviousEditBlock();
        }
        if (repairs.moves.empty()) {
            for (const auto& [list, shown] : repairs.labels) {
                QTextListFormat format = list->format();
                format.setNumberPrefix(shown);
                list->setFormat(format);
            }
            break;
        }
        std::unordered_map<int, QTextList*> started; // by run: its new list
        for (const ListRepairs::Move& move : repairs.moves) {
            if (move.to) {
                move.to->add(move.block);
                continue;
            }
            QTextList*& list = started[move.run];
            if (list)
                list->add(move.block);
            else
                list = QTextCursor(move.block).createList(move.block.textList()->format());
        }
    }
    if (!edit)
        return false;
    edit->endEditBlock();
    return true;
}

void writeParagraph(QTextCursor& cursor, bool& blockFree,
                    const QtDocumentSink::PendingParagraph& paragraph, OpenLists& lists,
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
    lists.add(cursor, format);
    for (const auto& [text, charFormat] : paragraph.runs)
        cursor.insertText(text, charFormat);
}

} // namespace rtf
