#include "components/rtf/listtable.h"

#include <algorithm>

namespace rtf {
namespace {

constexpr std::size_t maxLevels = 9;

// \levelnfc's formats the editor shows, and the kind that shows each.
constexpr std::pair<int, ListKind> numberings[] = {
    {0, ListKind::Decimal},    {1, ListKind::UpperRoman}, {2, ListKind::LowerRoman},
    {3, ListKind::UpperAlpha}, {4, ListKind::LowerAlpha}, {23, ListKind::Bullet},
    {255, ListKind::None}};

QString roman(int number) {
    static constexpr std::pair<int, const char*> digits[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QString text;
    for (const auto& [value, letters] : digits)
        for (; number >= value; number -= value)
            text += QLatin1String(letters);
    return text;
}

// a .. z, then aa, bb ... as Word counts past z.
QString alpha(int number) {
    const QChar letter(u'a' + (number - 1) % 26);
    return QString((number - 1) / 26 + 1, letter);
}

// In the file's order, which repeats words (\rtlch\fcs1 ... \ltrch\fcs0);
// a level or list has a few dozen words at most.
void appendWord(std::string& words, std::string_view name, bool hasParam, int param) {
    if (words.size() >= 512)
        return;
    words += '\\';
    words += name;
    if (hasParam)
        words += std::to_string(param);
}

} // namespace

ListKind listKindOfNumbering(int nfc) {
    for (const auto& [number, kind] : numberings)
        if (number == nfc)
            return kind;
    return ListKind::Decimal; // every other numbering still counts
}

int numberingOf(ListKind kind) {
    for (const auto& [number, shown] : numberings)
        if (shown == kind)
            return number;
    return 0;
}

QString listNumberText(ListKind kind, int number) {
    const bool inRange = number >= 1 && number < 4000;
    switch (kind) {
    case ListKind::LowerRoman:
        return inRange ? roman(number) : QString::number(number);
    case ListKind::UpperRoman:
        return inRange ? roman(number).toUpper() : QString::number(number);
    case ListKind::LowerAlpha:
        return inRange ? alpha(number) : QString::number(number);
    case ListKind::UpperAlpha:
        return inRange ? alpha(number).toUpper() : QString::number(number);
    default:
        return QString::number(number);
    }
}

void ListTable::beginList(std::size_t groupAt) {
    lists_.push_back({});
    lists_.back().groupAt = groupAt;
}

void ListTable::setListId(int id) {
    if (!lists_.empty())
        lists_.back().id = id;
}

void ListTable::beginLevel() {
    if (!lists_.empty() && lists_.back().levels.size() < maxLevels)
        lists_.back().levels.push_back({});
}

void ListTable::setLevelNumbering(int nfc) {
    if (!lists_.empty() && !lists_.back().levels.empty()) {
        lists_.back().levels.back().kind = listKindOfNumbering(nfc);
        lists_.back().levels.back().numbering = nfc;
    }
}

void ListTable::setLevelFollow(int follow) {
    if (!lists_.empty() && !lists_.back().levels.empty())
        lists_.back().levels.back().follow = std::clamp(follow, 0, 2);
}

void ListTable::keepLevelWord(std::string_view name, bool hasParam, int param) {
    if (!lists_.empty() && !lists_.back().levels.empty())
        appendWord(lists_.back().levels.back().words, name, hasParam, param);
}

void ListTable::keepListWord(std::string_view name, bool hasParam, int param) {
    if (!lists_.empty())
        appendWord(lists_.back().words, name, hasParam, param);
}

void ListTable::setListName(const std::string& group) {
    // A name is a few words; a longer group is no name a reader would use.
    if (!lists_.empty() && lists_.back().name.empty() && group.size() <= 1024)
        lists_.back().name = group;
}

void ListTable::setLevelStart(int start) {
    if (!lists_.empty() && !lists_.back().levels.empty())
        lists_.back().levels.back().start = start;
}

void ListTable::setLevelIndent(Indent which, int twips) {
    if (!lists_.empty() && !lists_.back().levels.empty())
        (which == Indent::Left ? lists_.back().levels.back().left
                               : lists_.back().levels.back().first) = twips;
}

void ListTable::appendLevelText(QStringView text) {
    if (!lists_.empty() && !lists_.back().levels.empty()) {
        QString& levelText = lists_.back().levels.back().text;
        levelText += text.left(std::max<qsizetype>(0, maxLevelText - levelText.size()));
    }
}

void ListTable::beginOverride(std::size_t groupAt) {
    commitOverride();
    inOverride_ = true;
    override_ = {};
    override_.groupAt = groupAt;
}

void ListTable::setOverrideListId(int id) {
    if (inOverride_)
        override_.listId = id;
    commitOverride();
}

void ListTable::setOverrideNumber(int ls) {
    if (inOverride_)
        override_.ls = ls;
    commitOverride();
}

void ListTable::beginOverrideLevel() {
    if (inOverride_)
        ++override_.levels;
}

void ListTable::setOverrideStart(int start) {
    if (inOverride_ && override_.levels >= 1 && override_.levels <= int(maxLevels))
        override_.starts[std::size_t(override_.levels - 1)] = start;
    commitOverride();
}

void ListTable::commitOverride() {
    if (inOverride_ && override_.ls != 0 && override_.listId != 0) {
        overrides_[override_.ls] = override_.listId;
        overrideStarts_[override_.ls] = override_.starts;
    }
}

void ListTable::spoilOpenGroups() {
    if (!lists_.empty() && lists_.back().rtf.empty())
        lists_.back().groupAt = std::string_view::npos;
    if (inOverride_ && override_.rtf.empty())
        override_.groupAt = std::string_view::npos;
}

void ListTable::endGroup(std::size_t groupAt, const std::function<std::string()>& rtf) {
    if (inOverride_ && override_.groupAt == groupAt && override_.rtf.empty()) {
        override_.rtf = rtf();
        overrideGroups_.push_back(override_);
    } else if (!lists_.empty() && lists_.back().groupAt == groupAt && lists_.back().rtf.empty()) {
        lists_.back().rtf = rtf();
    }
}

ListTable::Groups ListTable::unshown(const std::unordered_set<int>& shown,
                                     const std::unordered_set<int>& named) const {
    Groups groups;
    std::unordered_set<int> kept, shownLists;
    for (const auto& [ls, listId] : overrides_)
        if (shown.contains(ls))
            shownLists.insert(listId);
    for (const Override& override : overrideGroups_) {
        if (!shown.contains(override.ls) || named.contains(override.ls)) {
            kept.insert(override.listId);
            groups.overrides.push_back(override.rtf);
        }
    }
    for (const List& list : lists_)
        if (!list.rtf.empty() && (kept.contains(list.id) || !shownLists.contains(list.id)))
            groups.lists.push_back(list.rtf);
    return groups;
}

bool ListTable::knows(int ls) const {
    auto found = overrides_.find(ls);
    if (found == overrides_.end())
        return false;
    for (const List& list : lists_)
        if (list.id == found->second)
            return true;
    return false;
}

const ListTable::List* ListTable::list(int ls) const {
    auto found = overrides_.find(ls);
    if (found == overrides_.end())
        return nullptr;
    for (const List& list : lists_)
        if (list.id == found->second && !list.levels.empty())
            return &list;
    return nullptr;
}

const ListTable::Level* ListTable::level(int ls, int level) const {
    const List* found = list(ls);
    if (!found)
        return nullptr;
    const std::size_t index = std::min<std::size_t>(static_cast<std::size_t>(std::max(level, 0)),
                                                    found->levels.size() - 1);
    return &found->levels[index];
}

ListKind ListTable::kind(int ls, int level) const {
    const Level* found = this->level(ls, level);
    return found ? found->kind : ListKind::None;
}

ListLabel ListTable::label(int ls, int level) const {
    ListLabel label;
    const Level* found = this->level(ls, level);
    if (!found)
        return label;
    label.listWords = list(ls)->words + list(ls)->name;
    label.start = found->start;
    if (const auto starts = overrideStarts_.find(ls); starts != overrideStarts_.end())
        label.start =
            starts->second[std::size_t(std::clamp(level, 0, int(maxLevels) - 1))].value_or(
                label.start);
    label.left = found->left;
    label.first = found->first;
    if (found->numbering != numberingOf(found->kind))
        label.numbering = found->numbering;
    label.follow = found->follow;
    label.words = found->words;
    if (found->text.size() < 2)
        return label;
    // The first character is the text's length.
    const QString text = found->text.mid(1, found->text[0].unicode());
    const auto isNumber = [](QChar c) { return c.unicode() < 9; };
    if (found->kind == ListKind::Bullet) {
        for (const QChar c : text) {
            switch (c.unicode()) {
            case u'o':   // Courier New's o, Word's second level
            case 0x25E6: // white bullet
            case 0x25CB: // white circle
            case 0xF06F: // Wingdings' circle
                label.bullet = BulletShape::Circle;
                return label;
            case 0x00A7: // Wingdings' small square, read as a Latin byte
            case 0xF0A7: // the same at U+F000 plus its byte
            case 0x25AA: // small black square
            case 0x25A0: // black square
            case 0xF06E: // Wingdings' black square
                label.bullet = BulletShape::Square;
                return label;
            default:
                if (!isNumber(c) && !c.isSpace())
                    return label; // every other bullet shows as a disc
            }
        }
        return label;
    }
    // The level's own number is the last; numbers before it are those of the
    // levels above. Other control characters show nothing and no file can
    // carry them.
    const auto own = std::find_if(text.rbegin(), text.rend(), isNumber).base();
    if (own == text.begin())
        return label;
    for (auto c = text.begin(); c != own - 1; ++c)
        if (c->unicode() >= 0x20 || c->unicode() < std::min(level, 9))
            label.prefix += *c;
    label.suffix.clear();
    for (auto c = own; c != text.end(); ++c)
        if (c->unicode() >= 0x20)
            label.suffix += *c;
    return label;
}

QString withLevelNumbers(const QString& prefix, const QStringList& numbers) {
    QString shown;
    for (QChar c : prefix)
        shown += c.unicode() < 9 ? numbers.value(c.unicode(), QStringLiteral("1")) : QString(c);
    return shown;
}

std::optional<ListNumbering::Item> ListNumbering::add(const ParagraphFormat& format) {
    if (format.list == ListKind::None) {
        if (format.listId == 0)
            endUnnamed();
        return std::nullopt;
    }
    const auto level = static_cast<std::size_t>(std::clamp(format.listLevel, 0, 8));
    Counting& counting = counting_[format.listId];
    for (std::size_t below = level + 1; below < 9; ++below) {
        counting.open[below].clear();
        counting.last[below].reset();
    }
    const ListLabel& look = format.listLabel;
    auto [entry, added] = counting.open[level].try_emplace(
        Look{format.list, look.bullet, look.prefix, look.suffix}, Item{runs_, 0});
    if (added)
        ++runs_;
    ++entry->second.count;
    counting.last[level] = Last{format.list, entry->second.count, look.start};
    return entry->second;
}

void ListNumbering::endUnnamed() {
    counting_.erase(0);
}

QStringList ListNumbering::numbersAbove(const ParagraphFormat& format, bool fromStart) const {
    QStringList numbers;
    const auto found = counting_.find(format.listId);
    for (int above = 0; above < std::clamp(format.listLevel, 0, 8); ++above) {
        const std::optional<Last>& last = found == counting_.end()
                                              ? std::nullopt
                                              : found->second.last[static_cast<std::size_t>(above)];
        numbers << (last ? listNumberText(last->kind,
                                          last->count + (fromStart ? last->start - 1 : 0))
                         : QStringLiteral("1"));
    }
    return numbers;
}

QString ListNumbering::label(const ParagraphFormat& format, const Item& item,
                             bool fromStart) const {
    const ListLabel& look = format.listLabel;
    return withLevelNumbers(look.prefix, numbersAbove(format, fromStart)) +
           listNumberText(format.list, item.count + (fromStart ? look.start - 1 : 0)) + look.suffix;
}

} // namespace rtf
