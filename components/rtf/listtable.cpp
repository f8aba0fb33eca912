#include "components/rtf/listtable.h"

#include <algorithm>

namespace rtf {
namespace {

constexpr std::size_t maxLevels = 9;

ListKind kindOfNumbering(int nfc) {
    switch (nfc) {
    case 23:
        return ListKind::Bullet;
    case 255:
        return ListKind::None;
    case 1:
        return ListKind::UpperRoman;
    case 2:
        return ListKind::LowerRoman;
    case 3:
        return ListKind::UpperAlpha;
    case 4:
        return ListKind::LowerAlpha;
    default:
        return ListKind::Decimal; // every other numbering still counts
    }
}

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

} // namespace

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

void ListTable::beginList() {
    lists_.push_back({});
}

void ListTable::setListId(int id) {
    if (!lists_.empty())
        lists_.back().id = id;
}

void ListTable::beginLevel() {
    if (!lists_.empty() && lists_.back().levels.size() < maxLevels)
        lists_.back().levels.push_back(ListKind::Decimal);
}

void ListTable::setLevelNumbering(int nfc) {
    if (!lists_.empty() && !lists_.back().levels.empty())
        lists_.back().levels.back() = kindOfNumbering(nfc);
}

void ListTable::beginOverride() {
    commitOverride();
    inOverride_ = true;
    override_ = {};
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

void ListTable::commitOverride() {
    if (inOverride_ && override_.ls != 0 && override_.listId != 0)
        overrides_[override_.ls] = override_.listId;
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

ListKind ListTable::kind(int ls, int level) const {
    auto found = overrides_.find(ls);
    if (found == overrides_.end())
        return ListKind::None;
    for (const List& list : lists_) {
        if (list.id != found->second || list.levels.empty())
            continue;
        const std::size_t index = std::min<std::size_t>(
            static_cast<std::size_t>(std::max(level, 0)), list.levels.size() - 1);
        return list.levels[index];
    }
    return ListKind::None;
}

} // namespace rtf
