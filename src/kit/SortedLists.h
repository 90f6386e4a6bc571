#pragma once

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QListView>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class Recordset;

// Lists and combos that keep their entries in alphabetical order, ignoring
// letter case, with each entry's identifier (qint32) as its item data.
// The entries live in one Model, which two list boxes can share, so a fill
// builds them once and the views lay them out at one uniform height instead
// of measuring every entry.
namespace SortedLists {

struct Entry
{
    QString text;
    qint32 data;
};

// Texts and identifiers of many entries in a few blocks of memory: the texts
// one after another in one buffer, each entry a range of it. A list of 30,000
// units then costs a handful of allocations instead of one per name.
class EntryStore
{
public:
    // Adds an entry after the others; returns its position.
    quint32 append(QStringView text, qint32 data);
    quint32 size() const { return quint32(m_data.size()); }
    QStringView text(quint32 position) const
    {
        return QStringView(m_chars.data() + m_starts[position], m_starts[position + 1] - m_starts[position]);
    }
    qint32 data(quint32 position) const { return m_data[position]; }

private:
    std::vector<char16_t> m_chars;
    std::vector<quint32> m_starts{0}; // one more than there are entries: where each text begins, then the end
    std::vector<qint32> m_data;
};

// Entries gathered while a result set is read, to be given to a model in one
// go: a view told of every entry on its own does work per entry that grows with
// its size.
class Batch
{
public:
    void add(QStringView text, qint32 data);
    bool isEmpty() const { return m_store.size() == 0; }
    std::size_t size() const { return m_store.size(); }
    // The entries in the order they were added.
    QStringView text(std::size_t position) const { return m_store.text(quint32(position)); }
    qint32 data(std::size_t position) const { return m_store.data(quint32(position)); }
    // Positions of the entries in sorted order; equal texts keep the order
    // they were added in.
    const std::vector<quint32>& sortedOrder() const;

private:
    friend class Model;
    EntryStore m_store;
    mutable std::vector<quint32> m_sortedOrder;
};

// The entries of a list or combo in sorted order: the text under the display
// and edit roles, the identifier under Qt::UserRole.
class Model : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit Model(QObject* parent = nullptr);

    int count() const { return int(m_rows.size()); }
    QString text(int row) const { return textView(row).toString(); }
    QStringView textView(int row) const { return m_store.text(m_rows.at(std::size_t(row))); }
    qint32 itemData(int row) const { return m_store.data(m_rows.at(std::size_t(row))); }
    // The first row whose text is exactly `text`, or -1.
    int findRow(const QString& text) const;
    // The row at which `text` belongs: after every entry that sorts before it
    // or equal to it, so that entries of equal text keep the order they came in.
    int sortedRow(QStringView text) const;

    // Adds an entry at its sorted place and returns the row it went to.
    int insertSorted(const QString& text, qint32 data);
    // Adds every entry of `batch` where insertSorted would have put it, had the
    // entries been inserted one by one in the order they were added. An empty
    // model takes them in one reset, which views handle at once; given the
    // batch to keep, it takes over its memory instead of copying it.
    void insertSorted(const Batch& batch);
    void insertSorted(Batch&& batch);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

private:
    // Adds the batch's entries one by one, into a model that already lists some.
    void mergeOneByOne(const Batch& batch);

    // Every entry ever added since the last clear; m_rows says which are
    // listed, and in which order.
    EntryStore m_store;
    std::vector<quint32> m_rows;
};

// A list box over a Model: its own, or one it shares with another list box
// (each keeps its own selection). Entries all have the height of one line of
// text; a name wider than the box shows whole in a tooltip.
class ListView : public QListView
{
    Q_OBJECT

public:
    explicit ListView(QWidget* parent = nullptr, Model* shared = nullptr);

    Model* entries() const { return m_entries; }
    int count() const { return m_entries->count(); }
    QString text(int row) const { return m_entries->text(row); }
    qint32 itemData(int row) const { return m_entries->itemData(row); }
    int findRow(const QString& text) const { return m_entries->findRow(text); }
    QModelIndex modelIndex(int row) const { return m_entries->index(row); }
    QRect rowRect(int row) const { return visualRect(modelIndex(row)); }
    // Empties the model, and so every list box that shows it.
    void clear() { m_entries->clear(); }

    // The selected rows in list order; the first of them, or -1 for none.
    QList<int> selectedRows() const;
    int selectedRow() const;
    bool isSelected(int row) const;
    void setSelected(int row, bool selected);
    // Makes `row` the current entry, changing the selection as `command` says.
    void setCurrentRow(int row, QItemSelectionModel::SelectionFlags command = QItemSelectionModel::ClearAndSelect);

    // True while a key the user pressed is moving the selection.
    bool selectingByKeys() const { return m_keyPressed; }

    // Typing a name moves to the entry it starts; in a list of many selected
    // entries it leaves the selection as it is, as the arrow keys do.
    void keyboardSearch(const QString& search) override;

signals:
    // The selection changed, by the user or by the program.
    void itemSelectionChanged();

protected:
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Model* m_entries;
    bool m_keyPressed = false;
};

// Gives `combo` a Model of its own, which the functions below fill.
Model* useSortedModel(QComboBox* combo);
// The combo's Model; the combo must have been given one by useSortedModel.
Model* sortedModel(const QComboBox* combo);

// Adds an entry at its sorted place and returns the row it went to.
int insertSorted(QComboBox* combo, const QString& text, qint32 data);
// Adds every entry of `batch` as Model::insertSorted does; an empty combo then
// selects the first entry added, as its first insertion would.
void insertSorted(QComboBox* combo, const Batch& batch);
void insertSorted(QComboBox* combo, Batch&& batch);

// The item data of the entry at `row`.
qint32 itemData(const QComboBox* combo, int row);

// The item data of the entry the combo shows: only an entry whose text is
// still in the edit field counts, since the user may have typed over it.
std::optional<qint32> shownEntry(const QComboBox* combo);

// Which batch a row of a result set goes to; null leaves the row out.
using BatchOfRow = std::function<Batch*(Recordset& rows)>;
// Every row goes to `batch`.
BatchOfRow everyRow(Batch& batch);
// The rows whose visibility flag, in the field `flagColumn`, says visible go to `batch`.
BatchOfRow visibleRows(int flagColumn, Batch& batch);

// Reads `rows` from the row it stands on to its end. Each row that `batchOf`
// gives a batch adds its name and identifier to it, both read first as a row
// of `table` (PlainErrors::readNamedRow), so a bad row is never half taken.
// Then `take` hands the batches to their lists, each in one go, also when a
// row fails: the rows read before it are listed, and the failure goes on to
// the caller.
void fillFromRows(Recordset& rows, const QString& table, const BatchOfRow& batchOf, const std::function<void()>& take);

} // namespace SortedLists
