#pragma once

#include <QString>

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

// The item data of the entry at `row`.
qint32 itemData(const QListWidget* list, int row);
qint32 itemData(const QComboBox* combo, int row);

} // namespace SortedLists
