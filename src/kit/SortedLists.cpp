#include "SortedLists.h"

#include "data/PlainErrors.h"
#include "data/Schema.h"
#include "data/modMain.h"

#include <QComboBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QToolTip>

#include <algorithm>
#include <string>

namespace SortedLists {

namespace {

bool sortsBefore(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
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

// ---- Batch ----------------------------------------------------------------

void Batch::add(const QString& text, qint32 data)
{
    m_entries.push_back({text, data});
    m_sortedOrder.clear();
}

const std::vector<std::size_t>& Batch::sortedOrder() const
{
    if (m_sortedOrder.size() == m_entries.size())
        return m_sortedOrder;
    // Most comparisons are settled by the first three folded code points,
    // packed into one number in the order the keys sort (0 past the end of a
    // key, so a shorter key sorts first); only equal packs compare whole keys.
    struct Sortable
    {
        quint64 head;
        std::size_t position;
    };
    std::vector<std::u32string> keys;
    keys.reserve(m_entries.size());
    std::vector<Sortable> order;
    order.reserve(m_entries.size());
    for (const Entry& entry : m_entries) {
        keys.push_back(foldKey(entry.text));
        const std::u32string& key = keys.back();
        quint64 head = 0;
        for (std::size_t i = 0; i < 3; ++i)
            head = head << 21 | (i < key.size() ? quint64(key[i]) + 1 : 0);
        order.push_back({head, order.size()});
    }
    std::stable_sort(order.begin(), order.end(), [&keys](const Sortable& a, const Sortable& b) {
        return a.head != b.head ? a.head < b.head : keys[a.position] < keys[b.position];
    });
    m_sortedOrder.clear();
    m_sortedOrder.reserve(order.size());
    for (const Sortable& entry : order)
        m_sortedOrder.push_back(entry.position);
    return m_sortedOrder;
}

// ---- Model ----------------------------------------------------------------

Model::Model(QObject* parent) : QAbstractListModel(parent) {}

int Model::findRow(const QString& text) const
{
    const auto found =
        std::find_if(m_entries.begin(), m_entries.end(), [&text](const Entry& entry) { return entry.text == text; });
    return found == m_entries.end() ? -1 : int(found - m_entries.begin());
}

int Model::sortedRow(const QString& text) const
{
    const auto after =
        std::upper_bound(m_entries.begin(), m_entries.end(), text,
                         [](const QString& value, const Entry& entry) { return sortsBefore(value, entry.text); });
    return int(after - m_entries.begin());
}

int Model::insertSorted(const QString& text, qint32 data)
{
    const int row = sortedRow(text);
    beginInsertRows(QModelIndex(), row, row);
    m_entries.insert(m_entries.begin() + row, Entry{text, data});
    endInsertRows();
    return row;
}

void Model::insertSorted(const Batch& batch)
{
    // Entries already listed would have to be merged in; the windows always
    // fill an emptied list, so that rare case takes the entries one by one.
    if (!m_entries.empty()) {
        for (const Entry& entry : batch.entries())
            insertSorted(entry.text, entry.data);
        return;
    }
    if (batch.isEmpty())
        return;
    beginResetModel();
    m_entries.reserve(batch.size());
    for (const std::size_t position : batch.sortedOrder())
        m_entries.push_back(batch.entries()[position]);
    endResetModel();
}

void Model::clear()
{
    if (m_entries.empty())
        return;
    beginResetModel();
    // The memory goes too: a list of 30,000 units is not kept for the next fill.
    std::vector<Entry>().swap(m_entries);
    endResetModel();
}

int Model::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant Model::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(index.row());
    case Qt::UserRole:
        return itemData(index.row());
    default:
        return QVariant();
    }
}

bool Model::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count < 0 || row + count > this->count())
        return false;
    if (count == 0)
        return true;
    if (row == 0 && count == this->count()) {
        clear();
        return true;
    }
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_entries.erase(m_entries.begin() + row, m_entries.begin() + row + count);
    endRemoveRows();
    return true;
}

// ---- ListView -------------------------------------------------------------

ListView::ListView(QWidget* parent, Model* shared) : QListView(parent), m_entries(shared ? shared : new Model(this))
{
    // Every entry is one line of text: the view sizes one, not all of them.
    setUniformItemSizes(true);
    setModel(m_entries);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListView::itemSelectionChanged);
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    const QScopedValueRollback pressed(m_keyPressed, true);
    QListView::keyPressEvent(event);
}

void ListView::keyboardSearch(const QString& search)
{
    if (selectionMode() != MultiSelection) {
        QListView::keyboardSearch(search);
        return;
    }
    // The search makes the match current with a toggle; the selection is put back.
    const QItemSelection kept = selectionModel()->selection();
    QListView::keyboardSearch(search);
    if (selectionModel()->selection() != kept)
        selectionModel()->select(kept, QItemSelectionModel::ClearAndSelect);
}

QList<int> ListView::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

int ListView::selectedRow() const
{
    const QList<int> rows = selectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

bool ListView::isSelected(int row) const
{
    return selectionModel()->isSelected(modelIndex(row));
}

void ListView::setSelected(int row, bool selected)
{
    selectionModel()->select(modelIndex(row), selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void ListView::setCurrentRow(int row, QItemSelectionModel::SelectionFlags command)
{
    selectionModel()->setCurrentIndex(modelIndex(row), command);
}

bool ListView::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QListView::viewportEvent(event);
    // Entries are cut at the box's edge; one that does not fit shows whole
    // under the pointer.
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString name = index.isValid() ? text(index.row()) : QString();
    const int room = viewport()->width() - 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this);
    if (!name.isEmpty() && fontMetrics().horizontalAdvance(name) > room)
        QToolTip::showText(help->globalPos(), name, viewport(), visualRect(index));
    else
        QToolTip::hideText();
    return true;
}

// ---- Combos ---------------------------------------------------------------

Model* useSortedModel(QComboBox* combo)
{
    auto* model = new Model(combo);
    combo->setModel(model);
    return model;
}

Model* sortedModel(const QComboBox* combo)
{
    auto* model = qobject_cast<Model*>(combo->model());
    Q_ASSERT_X(model, "SortedLists::sortedModel", "the combo has no sorted model");
    return model;
}

int insertSorted(QComboBox* combo, const QString& text, qint32 data)
{
    return sortedModel(combo)->insertSorted(text, data);
}

void insertSorted(QComboBox* combo, const Batch& batch)
{
    Model* model = sortedModel(combo);
    const bool wasEmpty = model->count() == 0;
    model->insertSorted(batch);
    if (!wasEmpty || batch.isEmpty())
        return;
    const std::vector<std::size_t>& order = batch.sortedOrder();
    const auto first = std::find(order.begin(), order.end(), std::size_t(0));
    combo->setCurrentIndex(int(first - order.begin()));
}

qint32 itemData(const QComboBox* combo, int row)
{
    return combo->itemData(row).value<qint32>();
}

std::optional<qint32> shownEntry(const QComboBox* combo)
{
    const int index = combo->currentIndex();
    if (index < 0 || combo->itemText(index) != combo->currentText())
        return std::nullopt;
    return itemData(combo, index);
}

BatchOfRow everyRow(Batch& batch)
{
    return [&batch](Recordset&) { return &batch; };
}

BatchOfRow visibleRows(int flagColumn, Batch& batch)
{
    return [flagColumn, &batch](Recordset& rows) {
        return Schema::flagIs(rows.Fields(flagColumn).Value(), Schema::VisibleFlag) ? &batch : nullptr;
    };
}

void fillFromRows(Recordset& rows, const QString& table, const BatchOfRow& batchOf, const std::function<void()>& take)
{
    const auto listReadRows = qScopeGuard(take);
    while (!rows.Eof()) {
        if (Batch* batch = batchOf(rows)) {
            const PlainErrors::NamedRow row = PlainErrors::readNamedRow(rows, table);
            batch->add(row.name, row.id);
        }
        rows.MoveNext();
    }
}

} // namespace SortedLists
