#include "SortedLists.h"

#include <QComboBox>
#include <QListWidget>
#include <QStandardItemModel>

#include <algorithm>
#include <numeric>
#include <string>

namespace SortedLists {

namespace {

bool sortsBefore(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// The first row whose text sorts after `text`, by binary search over rows
// already in order.
template <typename TextAt> int upperBound(int count, const QString& text, TextAt textAt)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (!sortsBefore(text, textAt(middle)))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// What QString::compare with Qt::CaseInsensitive compares, position by
// position: each UTF-16 unit case-folded, a low surrogate as the folded code
// point of its pair. Keys compared as plain sequences order texts exactly as
// that compare does, without folding each text again at every comparison.
std::u32string foldKey(const QString& text)
{
    std::u32string key;
    key.reserve(std::size_t(text.size()));
    char32_t last = 0;
    for (const QChar unit : text) {
        char32_t codePoint = unit.unicode();
        if (QChar::isLowSurrogate(codePoint) && QChar::isHighSurrogate(last))
            codePoint = QChar::surrogateToUcs4(char16_t(last), char16_t(codePoint));
        last = unit.unicode();
        key.push_back(QChar::toCaseFolded(codePoint));
    }
    return key;
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

void Batch::add(const QString& text, qint32 data)
{
    m_entries.push_back({text, data});
    m_sortedOrder.clear();
}

const std::vector<std::size_t>& Batch::sortedOrder() const
{
    if (m_sortedOrder.size() != m_entries.size()) {
        m_sortedOrder.resize(m_entries.size());
        std::iota(m_sortedOrder.begin(), m_sortedOrder.end(), std::size_t(0));
        std::vector<std::u32string> keys;
        keys.reserve(m_entries.size());
        for (const Entry& entry : m_entries)
            keys.push_back(foldKey(entry.text));
        std::stable_sort(m_sortedOrder.begin(), m_sortedOrder.end(),
                         [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    }
    return m_sortedOrder;
}

void insertSorted(QListWidget* list, const Batch& batch)
{
    // Entries already listed would have to be merged in; the windows always
    // fill an emptied list, so that rare case takes the entries one by one.
    if (list->count() > 0) {
        for (const Batch::Entry& entry : batch.entries())
            insertSorted(list, entry.text, entry.data);
        return;
    }
    // Each item carries its data before the list takes it, so the list hears
    // of it once, as an added row.
    for (const std::size_t position : batch.sortedOrder()) {
        const Batch::Entry& entry = batch.entries()[position];
        auto* item = new QListWidgetItem(entry.text);
        item->setData(Qt::UserRole, entry.data);
        list->addItem(item);
    }
}

void insertSorted(QComboBox* combo, const Batch& batch)
{
    if (batch.isEmpty())
        return;
    auto* model = qobject_cast<QStandardItemModel*>(combo->model());
    if (combo->count() > 0 || !model) {
        for (const Batch::Entry& entry : batch.entries())
            insertSorted(combo, entry.text, entry.data);
        return;
    }
    // All rows go into the combo's model at once: the combo and its completer
    // then see one insertion instead of one per entry.
    QList<QStandardItem*> items;
    items.reserve(qsizetype(batch.size()));
    int firstAddedRow = 0;
    for (const std::size_t position : batch.sortedOrder()) {
        const Batch::Entry& entry = batch.entries()[position];
        if (position == 0)
            firstAddedRow = int(items.size());
        auto* item = new QStandardItem(entry.text);
        item->setData(entry.data, Qt::UserRole);
        items.append(item);
    }
    model->invisibleRootItem()->appendRows(items);
    combo->setCurrentIndex(firstAddedRow);
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
