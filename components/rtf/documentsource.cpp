#include "components/rtf/documentsource.h"

#include "components/rtf/keptrtf.h"
#include "components/rtf/qtformats.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <variant>
#include <vector>

namespace rtf {
namespace {

class Walker {
public:
    Walker(const QTextDocument& document, DocumentSink& sink)
        : document_(document), sink_(sink), defaultFont_(document.defaultFont()) {}

    void walk() {
        if (!namesDefaultFont(document_))
            sink_.noDefaultFont();
        for (const KeptRtf& kept : keptRtfOf(document_))
            sink_.keep(kept);
        frame(document_.rootFrame()->begin(), 0);
        sink_.finish();
    }

private:
    void frame(QTextFrame::iterator it, int depth);
    void paragraph(const QTextBlock& block, int depth, bool cellStart);
    void table(const QTextTable* table, int depth);

    const QTextDocument& document_;
    DocumentSink& sink_;
    QFont defaultFont_;
};

void Walker::frame(QTextFrame::iterator it, int depth) {
    const std::vector<FrameItem> items = frameItems(it);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (const auto* block = std::get_if<QTextBlock>(&items[i])) {
            paragraph(*block, depth, i == 0 && depth > 0);
        } else if (const auto* child = qobject_cast<QTextTable*>(std::get<QTextFrame*>(items[i]))) {
            table(child, depth + 1);
        } else {
            frame(std::get<QTextFrame*>(items[i])->begin(), depth);
        }
    }
}

void Walker::paragraph(const QTextBlock& block, int depth, bool cellStart) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        const RunFormat run = runFormatOf(format, defaultFont_);
        if (!format.isImageFormat()) {
            sink_.text(fragment.text(), run);
            continue;
        }
        const std::optional<Picture> picture = pictureOf(format.toImageFormat(), document_);
        for (QChar c : fragment.text())
            if (c == QChar::ObjectReplacementCharacter && picture)
                sink_.picture(*picture, run);
    }
    RunFormat mark = runFormatOf(block.charFormat(), defaultFont_);
    // A cell's first mark shares its format with the cell, whose shading
    // is not the mark's.
    if (cellStart)
        mark.background.reset();
    sink_.endParagraph(paragraphFormatOf(block, depth), mark);
}

void Walker::table(const QTextTable* table, int depth) {
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

} // namespace

void walkDocument(const QTextDocument& document, DocumentSink& sink) {
    Walker(document, sink).walk();
}

} // namespace rtf
