#pragma once

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QListView>
#include <QString>

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

// Entries gathered while a result set is read, to be given to a model in one
// go: a view told of every entry on its own does work per entry that grows with
// its size.
class Batch
{
public:
    void add(const QString& text, qint32 data);
    bool isEmpty() const { return m_entries.empty(); }
    std::size_t size() const { return m_entries.size(); }

    // The entries in the order they were added.
    const std::vector<Entry>& entries() const { return m_entries; }
    // Positions into entries() in sorted order; equal texts keep the order
    // they were added in.
    const std::vector<std::size_t>& sortedOrder() const;

private:
    std::vector<Entry> m_entries;
    mutable std::vector<std::size_t> m_sortedOrder;
};

// The entries of a list or combo in sorted order: the text under the display
// and edit roles, the identifier under Qt::UserRole.
class Model : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit Model(QObject* parent = nullptr);

    int count() const { return int(m_entries.size()); }
    const QString& text(int row) const { return m_entries.at(std::size_t(row)).text; }
    qint32 itemData(int row) const { return m_entries.at(std::size_t(row)).data; }
    // The first row whose text is exactly `text`, or -1.
    int findRow(const QString& text) const;
    // The row at which `text` belongs: after every entry that sorts before it
    // or equal to it, so that entries of equal text keep the order they came in.
    int sortedRow(const QString& text) const;

    // Adds an entry at its sorted place and returns the row it went to.
    int insertSorted(const QString& text, qint32 data);
    // Adds every entry of `batch` where insertSorted would have put it, had the
    // entries been inserted one by one in the order they were added. An empty
    // model takes them in one reset, which views handle at once.
    void insertSorted(const Batch& batch);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

private:
    std::vector<Entry> m_entries;
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
