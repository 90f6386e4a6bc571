#pragma once

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QListView>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <type_traits>
#include <utility>
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

// An array of plain values that grows in place: the allocator extends it
// (a large one by remapping its pages) instead of its values being copied into
// fresh memory at every doubling, so a fill touches each page of it once.
template <typename T> class GrowingArray
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    GrowingArray() = default;
    GrowingArray(const GrowingArray& other) { append(other.data(), other.size()); }
    GrowingArray(GrowingArray&& other) noexcept
        : m_values(std::move(other.m_values)), m_size(std::exchange(other.m_size, 0)),
          m_capacity(std::exchange(other.m_capacity, 0))
    {
    }
    GrowingArray& operator=(GrowingArray other) noexcept
    {
        std::swap(m_values, other.m_values);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
        return *this;
    }
    ~GrowingArray() = default;

    std::size_t size() const { return m_size; }
    const T* data() const { return m_values.get(); }
    const T& operator[](std::size_t i) const { return m_values.get()[i]; }
    void append(const T* values, std::size_t count);
    void append(T value) { append(&value, 1); }

private:
    struct Free
    {
        void operator()(T* values) const { std::free(values); }
    };
    std::unique_ptr<T, Free> m_values;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

template <typename T> void GrowingArray<T>::append(const T* values, std::size_t count)
{
    if (m_size + count > m_capacity) {
        const std::size_t capacity = std::max({m_capacity * 2, m_size + count, std::size_t(256)});
        void* grown = std::realloc(m_values.get(), capacity * sizeof(T));
        if (!grown)
            throw std::bad_alloc();
        // realloc has freed or kept the old block: only the new one is owned.
        (void)m_values.release();
        m_values.reset(static_cast<T*>(grown));
        m_capacity = capacity;
    }
    if (count > 0)
        std::memcpy(m_values.get() + m_size, values, count * sizeof(T));
    m_size += count;
}

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
        const quint32 start = position == 0 ? 0 : m_ends[position - 1];
        return QStringView(m_chars.data() + start, m_ends[position] - start);
    }
    qint32 data(quint32 position) const { return m_data[position]; }

private:
    GrowingArray<char16_t> m_chars;
    GrowingArray<quint32> m_ends; // where each entry's text ends in m_chars
    GrowingArray<qint32> m_data;
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
