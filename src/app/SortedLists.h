#pragma once

#include <QString>

#include <cstddef>
#include <vector>

class QComboBox;
class QListWidget;

// Lists and combos that keep their entries in alphabetical order, ignoring
// letter case, with each entry's identifier (qint32) as its item data.
// QListWidget sorts case-sensitively and QComboBox not at all, so every entry
// is put at its place as it is added.
namespace SortedLists {

// The row at which `text` belongs: after every entry that sorts before it or
// equal to it, so that entries of equal text keep the order they came in.
int sortedRow(const QListWidget* list, const QString& text);
int sortedRow(const QComboBox* combo, const QString& text);

// Adds an entry at its sorted place with `data` under Qt::UserRole, and
// returns the row it went to.
int insertSorted(QListWidget* list, const QString& text, qint32 data);
int insertSorted(QComboBox* combo, const QString& text, qint32 data);

// Entries gathered while a result set is read, to be added to a list or combo
// in one go: a widget told of every entry on its own does work per entry that
// grows with its size (a combo's completer, a list's view).
class Batch
{
public:
    void add(const QString& text, qint32 data);
    bool isEmpty() const { return m_entries.empty(); }
    std::size_t size() const { return m_entries.size(); }

    struct Entry
    {
        QString text;
        qint32 data;
    };
    // The entries in the order they were added.
    const std::vector<Entry>& entries() const { return m_entries; }
    // Positions into entries() in sorted order; equal texts keep the order
    // they were added in.
    const std::vector<std::size_t>& sortedOrder() const;

private:
    std::vector<Entry> m_entries;
    mutable std::vector<std::size_t> m_sortedOrder;
};

// Adds every entry of `batch` where insertSorted would have put it, had the
// entries been inserted one by one in the order they were added; an empty combo
// then selects the first entry added, as its first insertion would.
void insertSorted(QListWidget* list, const Batch& batch);
void insertSorted(QComboBox* combo, const Batch& batch);

// The item data of the entry at `row`.
qint32 itemData(const QListWidget* list, int row);
qint32 itemData(const QComboBox* combo, int row);

} // namespace SortedLists
