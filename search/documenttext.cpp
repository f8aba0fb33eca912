#include "search/documenttext.h"

#include "components/rtf/textrule.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <sys/mman.h>
#include <thread>

namespace {

// The characters that end a paragraph inside the document: its own breaks and
// the frame markers around table cells. Every block ends in exactly one.
bool endsParagraph(QChar c) {
    return c == QChar::ParagraphSeparator || c == QChar(0xfdd0) || c == QChar(0xfdd1);
}

// Characters that Text spells differently from the document: a needle without
// them matches Text exactly where it matches the document's characters, and
// never across a paragraph's end.
bool spelledDifferentlyInText(QChar c) {
    return endsParagraph(c) || c == QChar::LineSeparator || c == u'\r' || c == u'\n';
}

// Memory for the copy of a large document in 2 MB pages where the system
// offers them. Touching fresh memory costs a page fault per page, and in 4 KB
// pages the faults for a 10 MB document's copy take several times as long as
// searching it.
template <typename T> struct LargePageAllocator {
    using value_type = T;
    static constexpr std::size_t largePage = std::size_t(2) << 20;

    LargePageAllocator() = default;
    template <typename U> LargePageAllocator(const LargePageAllocator<U>&) {}

    static std::size_t rounded(std::size_t bytes) {
        return (bytes + largePage - 1) / largePage * largePage;
    }

    T* allocate(std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < largePage)
            return std::allocator<T>().allocate(n);
        // Map one page more than needed and keep the aligned part, so that
        // the whole of it can be large pages.
        const std::size_t size = rounded(bytes);
        const std::size_t mapped = size + largePage;
        void* base =
            mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(base);
        const std::uintptr_t aligned = (start + largePage - 1) / largePage * largePage;
        if (aligned > start)
            munmap(base, aligned - start);
        if (const std::size_t tail = start + mapped - (aligned + size); tail > 0)
            munmap(reinterpret_cast<void*>(aligned + size), tail);
#ifdef MADV_HUGEPAGE
        madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
#endif
        return reinterpret_cast<T*>(aligned);
    }
    void deallocate(T* p, std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < largePage)
            std::allocator<T>().deallocate(p, n);
        else
            munmap(p, rounded(bytes));
    }
    bool operator==(const LargePageAllocator&) const {
        return true;
    }
};

// Where the paragraph that holds at ends (just after its break), or the end
// of characters. No match crosses it, so a search may stop or split there.
qsizetype afterParagraph(QStringView characters, qsizetype at) {
    if (at >= characters.size())
        return characters.size();
    const qsizetype end = characters.indexOf(QChar::ParagraphSeparator, at);
    return end < 0 ? characters.size() : end + 1;
}

// The first occurrence of needle in characters at or after from. The next
// stretch is searched first, so that Find Next costs what its distance to
// the match costs; what is left of a long document is searched in two halves
// at once, the first half's match, if any, coming first.
qsizetype search(QStringView characters, const QString& needle, qsizetype from) {
    constexpr qsizetype near = 256 * 1024;
    const qsizetype nearEnd = afterParagraph(characters, from + near);
    const qsizetype found = characters.first(nearEnd).indexOf(needle, from, Qt::CaseInsensitive);
    if (found >= 0 || nearEnd == characters.size())
        return found;
    from = nearEnd;
    const qsizetype middle = afterParagraph(characters, from + (characters.size() - from) / 2);
    static const bool twoCores = std::thread::hardware_concurrency() >= 2;
    if (characters.size() - from < 4 * near || middle == characters.size() || !twoCores)
        return characters.indexOf(needle, from, Qt::CaseInsensitive);
    qsizetype later = -1;
    std::thread second([&] { later = characters.indexOf(needle, middle, Qt::CaseInsensitive); });
    const qsizetype first = characters.first(middle).indexOf(needle, from, Qt::CaseInsensitive);
    second.join();
    return first >= 0 ? first : later;
}

} // namespace

struct DocumentText::Characters
    : std::basic_string<char16_t, std::char_traits<char16_t>, LargePageAllocator<char16_t>> {};

DocumentText& DocumentText::of(QTextDocument& document) {
    if (auto* attached = document.findChild<DocumentText*>(QString(), Qt::FindDirectChildrenOnly))
        return *attached;
    return *new DocumentText(document);
}

DocumentText::DocumentText(QTextDocument& document)
    : QObject(&document), document_(document), characters_(std::make_unique<Characters>()) {
    // A document reports its changes only once it has a layout; without the
    // reports the copy would go stale.
    document.documentLayout();
    connect(&document, &QTextDocument::contentsChange, this, &DocumentText::follow);
}

DocumentText::~DocumentText() = default;

QStringView DocumentText::characters() {
    Characters& copy = *characters_;
    if (!valid_) {
        // Block by block: each block's text is a few copies out of the
        // document's buffer, far faster than a cursor's selected text. Room
        // to grow is reserved, so that typing seldom moves the copy; pages
        // that are never written cost nothing.
        const int count = document_.characterCount();
        copy.clear();
        copy.reserve(std::size_t(count) + std::size_t(count) / 4 + 4096);
        for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
            const QString text = block.text();
            copy.append(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size()));
            // Any of the paragraph ends stands for the block's own: Text
            // spells them all alike, and no needle searched here holds one.
            if (block.next().isValid())
                copy += char16_t(QChar::ParagraphSeparator);
        }
        if (copy.size() != std::size_t(count - 1)) {
            const QString all = charactersOfRange(0, count - 1);
            copy.assign(reinterpret_cast<const char16_t*>(all.utf16()), std::size_t(all.size()));
        }
        valid_ = true;
    }
    return QStringView(copy.data(), qsizetype(copy.size()));
}

QString DocumentText::text() {
    const QStringView raw = characters();
    QString text;
    text.reserve(raw.size() + document_.blockCount());
    qsizetype copied = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == QChar::LineSeparator) {
            text.append(raw.mid(copied, i - copied)).append(QChar(rtf::kLineBreak));
            copied = i + 1;
        } else if (endsParagraph(c)) {
            text.append(raw.mid(copied, i - copied)).append(rtf::kParagraphBreak);
            copied = i + 1;
        }
    }
    text.append(raw.mid(copied));
    return text;
}

qsizetype DocumentText::find(const QString& needle, qsizetype from) {
    if (needle.isEmpty() || from < 0)
        return -1;
    // One character per block for its end is counted two in Text, and the
    // last block's end is not in Text at all.
    const qsizetype textLength = qsizetype(document_.characterCount()) + document_.blockCount() - 2;
    if (from >= textLength)
        return -1;
    if (std::any_of(needle.cbegin(), needle.cend(), spelledDifferentlyInText))
        return text().indexOf(needle, from, Qt::CaseInsensitive);
    const qsizetype found = search(characters(), needle, positionOfTextOffset(from));
    return found < 0 ? -1 : textOffsetOf(found);
}

qsizetype DocumentText::textOffsetOf(qsizetype position) const {
    return rtf::textOffsetOf(document_, position);
}

qsizetype DocumentText::positionOfTextOffset(qsizetype offset) const {
    // An offset on the CR or the LF of a break lands on the paragraph's end,
    // which no needle searched here matches.
    return rtf::positionOfTextOffset(document_, offset);
}

QString DocumentText::charactersOfRange(int from, int to) const {
    if (to <= from)
        return QString();
    // The cursor's selected text is the document's own characters, read
    // fragment by fragment without building each paragraph's text.
    QTextCursor cursor(&document_);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

void DocumentText::follow(int position, int charsRemoved, int charsAdded) {
    Q_UNUSED(charsRemoved); // the length of the old copy tells what went
    if (!valid_)
        return;
    // The last block's end is not in the copy, and a report of a whole new
    // content counts it in.
    const int end = document_.characterCount() - 1;
    if (position < 0 || position > end) {
        valid_ = false;
        return;
    }
    const QString added = charactersOfRange(position, qMin(position + charsAdded, end));
    // Everything before position and after the reported range is unchanged,
    // so the old characters between them are what the lengths leave over.
    Characters& copy = *characters_;
    const qsizetype size = qsizetype(copy.size());
    const qsizetype removed = size - (end - added.size());
    if (removed < 0 || position + removed > size) {
        valid_ = false;
        return;
    }
    copy.replace(std::size_t(position), std::size_t(removed),
                 reinterpret_cast<const char16_t*>(added.utf16()), std::size_t(added.size()));
}
