#include "components/rtf/rtfwriter.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/listtable.h"
#include <algorithm>
#include <unordered_set>

namespace rtf {
namespace {

QString bulletOf(BulletShape shape) {
    switch (shape) {
    case BulletShape::Circle:
        return QStringLiteral("\u25E6");
    case BulletShape::Square:
        return QStringLiteral("\u25AA");
    default:
        return QStringLiteral("\u2022");
    }
}

std::string hexByte(int value) {
    static constexpr char digits[] = "0123456789abcdef";
    return std::string{'\\', '\'', digits[(value >> 4) & 15], digits[value & 15]};
}

// Levels no item used take the look of the nearest level above that one did,
// or else the first used.
WrittenList::Level levelOrNearest(const WrittenList& list, int level) {
    for (int above = level; above >= 0; --above)
        if (list.levels[static_cast<std::size_t>(above)].kind != ListKind::None)
            return list.levels[static_cast<std::size_t>(above)];
    for (const WrittenList::Level& used : list.levels)
        if (used.kind != ListKind::None)
            return used;
    return {ListKind::Decimal, {}};
}

} // namespace

int Writer::listNumber(const ParagraphFormat& para) {
    const int level = para.listLevel;
    const WrittenList::Level look{para.list, para.listLabel};
    const ListLabel& label = para.listLabel;
    const ListLook key{para.listId,
                       level,
                       para.list,
                       label.bullet,
                       label.prefix,
                       label.suffix,
                       label.start,
                       label.left.value_or(-1),
                       label.first.value_or(-1)};
    int& number = listNumbers_[key];
    if (number == 0) {
        // The items of one file list share its \ls, unless they look
        // otherwise at a level another already shows (the file changed a
        // level's numbering half way): those get a list of their own.
        const int fileList = para.listId > 0 ? para.listId : 0;
        if (const int shared = fileListNumbers_.value(fileList); fileList != 0 && shared != 0) {
            const WrittenList::Level& used = lists_[static_cast<std::size_t>(shared - 1)]
                                                 .levels[static_cast<std::size_t>(level)];
            if (used.kind == ListKind::None || (used.kind == look.kind && used.label == look.label))
                number = shared;
        }
        if (number == 0) {
            lists_.push_back({fileList, {}, ++listsNumbered_});
            number = static_cast<int>(lists_.size());
            if (fileList != 0 && !fileListNumbers_.contains(fileList))
                fileListNumbers_.insert(fileList, number);
        }
    }
    lists_[static_cast<std::size_t>(number - 1)].levels[static_cast<std::size_t>(level)] = look;
    return number;
}

void Writer::listTables(const QByteArray& keptLists, const QByteArray& keptOverrides) {
    if (lists_.empty() && keptLists.isEmpty() && keptOverrides.isEmpty())
        return;
    out_.raw("{\\*");
    out_.word("listtable");
    out_.endLine();
    std::unordered_set<int> named;
    for (std::size_t n = 0; n < lists_.size(); ++n) {
        if (!lists_[n].inFile)
            continue;
        out_.raw("{");
        out_.word("list");
        out_.word("listtemplateid", static_cast<int>(n + 1));
        out_.word("listsimple", 0);
        for (int level = 0; level < 9; ++level) {
            const auto& used = lists_[n].levels[static_cast<std::size_t>(level)];
            const auto [kind, label] = levelOrNearest(lists_[n], level);
            out_.raw("{");
            out_.word("listlevel");
            // The file's own format where it still shows as this kind.
            const int numbering = label.numbering && listKindOfNumbering(*label.numbering) == kind
                                      ? *label.numbering
                                      : numberingOf(kind);
            out_.word("levelnfc", numbering);
            out_.word("levelnfcn", numbering);
            out_.word("levelfollow", label.follow);
            out_.word("levelstartat", label.start);
            out_.raw("{\\leveltext");
            if (kind == ListKind::Bullet) {
                out_.raw("\\'01");
                out_.text(bulletOf(label.bullet));
                out_.raw(";}{\\levelnumbers;}");
            } else {
                // \leveltext is its length, then the label with each level's
                // number as the byte of that level; \levelnumbers says where
                // the numbers stand. The parts are cut to what a read keeps.
                QString prefix = label.prefix.left(maxLevelText - 2);
                prefix.removeIf([&](QChar c) { return c.unicode() >= level && c.unicode() < 9; });
                const QString suffix = label.suffix.left(maxLevelText - 2 - prefix.size());
                out_.raw(hexByte(static_cast<int>(prefix.size() + 1 + suffix.size())));
                std::string numbers;
                qsizetype textStart = 0;
                for (qsizetype i = 0; i <= prefix.size(); ++i) {
                    if (i < prefix.size() && prefix[i].unicode() >= 9)
                        continue;
                    out_.text(prefix.mid(textStart, i - textStart));
                    textStart = i + 1;
                    out_.raw(hexByte(i < prefix.size() ? prefix[i].unicode() : level));
                    numbers += hexByte(static_cast<int>(i + 1));
                }
                out_.text(suffix);
                out_.raw(";}{\\levelnumbers" + numbers + ";}");
            }
            // A level's own words; one standing in for a level nobody used
            // takes its look alone (the words may link it to a style).
            if (used.kind != ListKind::None)
                out_.words(QByteArray::fromStdString(label.words));
            // The file's own indents of the level, which readers weigh an
            // item's against; a level of the file without indents stays
            // without. Other levels indent by half an inch each.
            const bool fileLevel = lists_[n].fileList != 0 && used.kind != ListKind::None;
            const ListLabel& own = fileLevel ? used.label : ListLabel{};
            if (own.first || !fileLevel)
                out_.word("fi", own.first.value_or(-360));
            if (own.left || !fileLevel)
                out_.word("li", own.left.value_or(720 * (level + 1)));
            out_.raw("}");
            out_.endLine();
        }
        // The file list's own words and name go with the first list written
        // for it: two lists of one name would be one list to Word.
        if (lists_[n].fileList != 0 && named.insert(lists_[n].fileList).second)
            out_.words(QByteArray::fromStdString(levelOrNearest(lists_[n], 0).label.listWords));
        out_.word("listid", static_cast<int>(n + 1));
        out_.raw("}");
        out_.endLine();
    }
    out_.raw(keptLists.toStdString());
    out_.raw("}{\\*");
    out_.word("listoverridetable");
    for (std::size_t n = 0; n < lists_.size(); ++n) {
        if (!lists_[n].inFile)
            continue;
        out_.raw("{");
        out_.word("listoverride");
        out_.word("listid", static_cast<int>(n + 1));
        out_.word("listoverridecount", 0);
        out_.word("ls", lists_[n].ls);
        out_.raw("}");
    }
    out_.raw(keptOverrides.toStdString());
    out_.raw("}");
    out_.endLine();
}

qsizetype Writer::listParagraph(const ParagraphFormat& para) {
    const std::optional<ListNumbering::Item> item = numbering_.add(para);
    if (!item)
        return out_.size();
    const int number = listNumber(para);
    itemLists_.insert(number);
    out_.word("ls", lists_[static_cast<std::size_t>(number - 1)].ls);
    out_.word("ilvl", para.listLevel);
    const qsizetype label = out_.size();
    // The marker as text, for readers that know no lists: one fallback only,
    // so that no reader shows the marker twice. Numbers count as Word counts
    // them from the \ls written.
    out_.raw("{");
    out_.word("listtext");
    if (para.list == ListKind::Bullet)
        out_.text(bulletOf(para.listLabel.bullet));
    else
        out_.text(numbering_.label(para, *item, true));
    if (para.listLabel.follow == 0)
        out_.word("tab");
    else if (para.listLabel.follow == 1)
        out_.text(QStringLiteral(" "));
    out_.raw("}");
    // No older \pn form beside it: LibreOffice then reads every numbered
    // item as a bullet.
    return label;
}

} // namespace rtf
