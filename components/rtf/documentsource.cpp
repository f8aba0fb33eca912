#include "components/rtf/documentsource.h"

#include "components/rtf/keptrtf.h"
#include "components/rtf/qtformats.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <variant>
#include <vector>

namespace rtf {
namespace {

// The frame of the root frame that holds the block, or none when the block
// is the root frame's own.
QTextFrame* topLevelFrameOf(const QTextDocument& document, const QTextBlock& block) {
    QTextFrame* root = document.rootFrame();
    QTextFrame* frame = document.frameAt(block.position());
    if (frame == nullptr || frame == root)
        return nullptr;
    while (frame->parentFrame() != root)
        frame = frame->parentFrame();
    return frame;
}

} // namespace

DocumentWalker::DocumentWalker(const QTextDocument& document, DocumentSink& sink)
    : document_(document), sink_(sink), defaultFont_(document.defaultFont()) {}

void DocumentWalker::walk() {
    whole_ = true;
    begin();
    frame(document_.rootFrame()->begin(), 0);
    sink_.finish();
}

void DocumentWalker::begin() {
    if (!namesDefaultFont(document_))
        sink_.noDefaultFont();
    for (const KeptRtf& kept : keptRtfOf(document_))
        sink_.keep(kept);
}

std::pair<int, int> DocumentWalker::item(int position) {
    const QTextBlock block = document_.findBlock(position);
    if (QTextFrame* frame = topLevelFrameOf(document_, block)) {
        if (const auto* table = qobject_cast<QTextTable*>(frame))
            this->table(table, 1);
        else
            this->frame(frame->begin(), 0);
        return {frame->firstPosition(), frame->lastPosition() + 1};
    }
    const int end = block.position() + block.length();
    const QTextBlock next = document_.findBlock(end);
    if (!isBeforeFirstTable(block, block.position() == 0,
                            next.isValid() ? topLevelFrameOf(document_, next) : nullptr))
        paragraph(block, 0, false);
    return {block.position(), end};
}

void DocumentWalker::frame(QTextFrame::iterator it, int depth) {
    const std::vector<FrameItem> items = frameItems(it);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (const auto* block = std::get_if<QTextBlock>(&items[i])) {
            const QTextBlock* next = whole_ && depth == 0 && i + 1 < items.size()
                                         ? std::get_if<QTextBlock>(&items[i + 1])
                                         : nullptr;
            paragraph(*block, depth, i == 0 && depth > 0, next);
        } else if (const auto* child = qobject_cast<QTextTable*>(std::get<QTextFrame*>(items[i]))) {
            table(child, depth + 1);
        } else {
            // Other frames hold paragraphs of the page like any other.
            frame(std::get<QTextFrame*>(items[i])->begin(), depth);
        }
    }
}

const RunFormat& DocumentWalker::runFormat(int index, const QTextCharFormat& format) {
    auto [at, added] = runFormats_.try_emplace(index);
    if (added)
        at->second = runFormatOf(format, defaultFont_);
    return at->second;
}

int DocumentWalker::ownListId(const QTextList* list) {
    const auto [known, id] = ownListIds_.value(list);
    if (known == list)
        return id;
    const int next = -static_cast<int>(ownListIds_.size()) - 1;
    ownListIds_.insert(list, {list, next});
    return next;
}

void DocumentWalker::paragraph(const QTextBlock& block, int depth, bool cellStart,
                               const QTextBlock* next) {
    KeptRtfList lastFields; // of the paragraph's last text
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        const RunFormat& run = runFormat(fragment.charFormatIndex(), format);
        lastFields = run.fields;
        if (!format.isImageFormat()) {
            sink_.text(fragment.text(), run);
            continue;
        }
        const std::optional<Picture> picture = pictureOf(format.toImageFormat(), document_);
        for (QChar c : fragment.text())
            if (c == QChar::ObjectReplacementCharacter && picture)
                sink_.picture(*picture, run);
    }
    if (next && !lastFields.isEmpty() && next->length() > 1) {
        const KeptRtfList first = fieldsOf(next->begin().fragment().charFormat());
        qsizetype common = 0;
        while (common < lastFields.size() && common < first.size() &&
               lastFields[common] == first[common])
            ++common;
        if (common > 0)
            sink_.fieldsGoOn(lastFields.first(common));
    }
    RunFormat mark = runFormat(block.charFormatIndex(), block.charFormat());
    // A cell's first mark shares its format with the cell, whose shading
    // is not the mark's.
    if (cellStart)
        mark.background.reset();
    ParagraphFormat format = paragraphFormatOf(block, depth);
    if (format.list != ListKind::None && format.listId == 0)
        format.listId = ownListId(block.textList());
    sink_.endParagraph(format, mark);
}

void DocumentWalker::table(const QTextTable* table, int depth) {
    const std::vector<int> grid = tableGridOf(table);
    for (int r = 0; r < table->rows(); ++r) {
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.column() != c || isFillerCell(cell))
                continue;
            if (cell.row() != r) {
                // The lower part of a vertically merged cell holds nothing.
                ParagraphFormat empty;
                empty.tableDepth = depth;
                sink_.endParagraph(empty, RunFormat{});
            } else {
                frame(cell.begin(), depth);
            }
            sink_.endCell(depth);
        }
        sink_.endRow(rowFormatOf(table, r, grid), depth);
    }
}

void walkDocument(const QTextDocument& document, DocumentSink& sink) {
    DocumentWalker(document, sink).walk();
}

} // namespace rtf
