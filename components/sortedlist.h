#pragma once

#include <QStringList>

#include <algorithm>

// A hidden list that keeps its items sorted as they are added: case is
// ignored, equal items are all kept, in the order they came.
class SortedList {
public:
    void addItem(const QString& item) {
        const auto place = std::upper_bound(
            items_.begin(), items_.end(), item, [](const QString& a, const QString& b) {
                return QString::compare(a, b, Qt::CaseInsensitive) < 0;
            });
        items_.insert(place, item);
    }
    int listCount() const { return int(items_.size()); }
    const QString& list(int i) const { return items_.at(i); }

private:
    QStringList items_;
};
