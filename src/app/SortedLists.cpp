#include "SortedLists.h"

#include <QComboBox>
#include <QListWidget>

namespace SortedLists {

namespace {

// The first row whose text sorts after `text`, by binary search over rows
// already in order.
template <typename TextAt> int upperBound(int count, const QString& text, TextAt textAt)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (QString::compare(textAt(middle), text, Qt::CaseInsensitive) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

} // namespace

int sortedRow(const QListWidget* list, const QString& text)
{
    return upperBound(list->count(), text, [list](int row) { return list->item(row)->text(); });
}

int sortedRow(const QComboBox* combo, const QString& text)
{
    return upperBound(combo->count(), text, [combo](int row) { return combo->itemText(row); });
}

int insertSorted(QListWidget* list, const QString& text, qint32 data)
{
    const int row = sortedRow(list, text);
    auto* item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, data);
    list->insertItem(row, item);
    return row;
}

int insertSorted(QComboBox* combo, const QString& text, qint32 data)
{
    const int row = sortedRow(combo, text);
    combo->insertItem(row, text, data);
    return row;
}

qint32 itemData(const QListWidget* list, int row)
{
    return list->item(row)->data(Qt::UserRole).value<qint32>();
}

qint32 itemData(const QComboBox* combo, int row)
{
    return combo->itemData(row).value<qint32>();
}

} // namespace SortedLists
