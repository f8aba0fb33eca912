#include "components/rtf/writer.h"

#include "components/rtf/documentsource.h"
#include "components/rtf/keptrtf.h"
#include "components/rtf/rtfwriter.h"

#include <QTextDocument>
#include <algorithm>

namespace rtf {

IncrementalWriter::IncrementalWriter(const QTextDocument& document) : document_(&document) {
    changes_ = QObject::connect(
        &document, &QTextDocument::contentsChange,
        [this](int from, int removed, int added) { changed(from, removed, added); });
    restart();
}

IncrementalWriter::~IncrementalWriter() {
    QObject::disconnect(changes_);
}

void IncrementalWriter::restart() {
    pieces_.clear();
    walker_.reset();
    writer_.reset();
    if (!document_)
        return;
    defaultFont_ = document_->defaultFont();
    namesDefaultFont_ = namesDefaultFont(*document_);
    writer_ = std::make_unique<Writer>(defaultFont_);
    walker_ = std::make_unique<DocumentWalker>(*document_, *writer_);
    walker_->begin();
}

void IncrementalWriter::changed(int from, int removed, int added) {
    // The piece that ends where the change begins goes too: whether an empty
    // paragraph is written depends on what follows it.
    auto first = std::lower_bound(pieces_.begin(), pieces_.end(), from,
                                  [](const Piece& piece, int at) { return piece.end < at; });
    auto last = first;
    while (last != pieces_.end() && last->start <= from + removed)
        ++last;
    const int shift = added - removed;
    for (auto it = pieces_.erase(first, last); it != pieces_.end(); ++it) {
        it->start += shift;
        it->end += shift;
    }
}

bool IncrementalWriter::write(const QDeadlineTimer& deadline) {
    if (!document_)
        return false;
    // The font the text without one shows decides the whole font table.
    if (document_->defaultFont() != defaultFont_ ||
        namesDefaultFont(*document_) != namesDefaultFont_)
        restart();
    const int total = document_->characterCount();
    std::size_t i = 0;
    int position = 0;
    bool wrote = false;
    while (position < total) {
        // Skip what is written; write up to the next piece or the deadline.
        if (i < pieces_.size() && pieces_[i].start == position) {
            position = pieces_[i++].end;
            continue;
        }
        if (wrote && deadline.hasExpired())
            return false;
        wrote = true;
        writer_->beginItem();
        const auto [start, end] = walker_->item(position);
        if (end <= position) { // never seen; a loop here would hang the editor
            restart();
            return false;
        }
        Piece piece{start, end, writer_->takeItem(), writer_->takeItemLists()};
        ++piecesWritten_;
        // An edit the pieces did not foresee moved an item's bounds: the
        // pieces it overlaps are written again.
        while (i > 0 && pieces_[i - 1].end > start)
            pieces_.erase(pieces_.begin() + static_cast<std::ptrdiff_t>(--i));
        auto next = pieces_.begin() + static_cast<std::ptrdiff_t>(i);
        while (next != pieces_.end() && next->start < end)
            next = pieces_.erase(next);
        pieces_.insert(next, std::move(piece));
        ++i;
        position = end;
    }
    pieces_.resize(i); // anything past the end is stale
    return true;
}

QByteArrayList IncrementalWriter::file() {
    QByteArrayList body;
    body.reserve(static_cast<qsizetype>(pieces_.size()));
    std::set<int> lists;
    for (const Piece& piece : pieces_) {
        body.append(piece.rtf);
        lists.insert(piece.lists.begin(), piece.lists.end());
    }
    // The kept pieces as the document holds them now: another file may have
    // been read into it since.
    writer_->forgetKept();
    walker_->begin();
    return writer_->file(std::move(body), lists);
}

} // namespace rtf
