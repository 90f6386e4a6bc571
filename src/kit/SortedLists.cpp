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

namespace SortedLists {

namespace {

// What QString::compare with Qt::CaseInsensitive compares at position `i`:
// the UTF-16 unit case-folded, a low surrogate as the folded code point of its
// pair. Texts compared position by position this way order exactly as that
// compare does; letters of plain ASCII, most names, skip the table lookup.
char32_t foldedAt(QStringView text, qsizetype i)
{
    char32_t codePoint = text[i].unicode();
    if (codePoint < 0x80)
        return codePoint >= 'A' && codePoint <= 'Z' ? codePoint + ('a' - 'A') : codePoint;
    if (QChar::isLowSurrogate(codePoint) && i > 0 && text[i - 1].isHighSurrogate())
        codePoint = QChar::surrogateToUcs4(text[i - 1].unicode(), char16_t(codePoint));
    return QChar::toCaseFolded(codePoint);
}

// Compares the folded texts from position `from` on, where they are known to agree before it.
bool foldedBefore(QStringView a, QStringView b, qsizetype from)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = from; i < common; ++i) {
        const char32_t x = foldedAt(a, i);
        const char32_t y = foldedAt(b, i);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

} // namespace

// ---- EntryStore -----------------------------------------------------------

quint32 EntryStore::append(QStringView text, qint32 data)
{
    m_chars.append(text.utf16(), std::size_t(text.size()));
    m_ends.append(quint32(m_chars.size()));
    m_data.append(data);
    return size() - 1;
}

// ---- Batch ----------------------------------------------------------------

void Batch::add(QStringView text, qint32 data)
{
    m_store.append(text, data);
    m_sortedOrder.clear();
}

const std::vector<quint32>& Batch::sortedOrder() const
{
    if (m_sortedOrder.size() == size())
        return m_sortedOrder;
    // Most comparisons are settled by the first three folded code points,
    // packed into one number in the order the texts sort (0 past the end of a
    // text, so a shorter text sorts first); only equal packs compare further.
    struct Sortable
    {
        quint64 head;
        quint32 position;
    };
    constexpr qsizetype Packed = 3;
    std::vector<Sortable> order;
    order.reserve(size());
    for (quint32 position = 0; position < m_store.size(); ++position) {
        const QStringView key = m_store.text(position);
        quint64 head = 0;
        for (qsizetype i = 0; i < Packed; ++i)
            head = head << 21 | (i < key.size() ? quint64(foldedAt(key, i)) + 1 : 0);
        order.push_back({head, position});
    }
    std::stable_sort(order.begin(), order.end(), [this](const Sortable& a, const Sortable& b) {
        return a.head != b.head ? a.head < b.head
                                : foldedBefore(m_store.text(a.position), m_store.text(b.position), Packed);
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
    for (int row = 0; row < count(); ++row) {
        if (textView(row) == text)
            return row;
    }
    return -1;
}

int Model::sortedRow(QStringView text) const
{
    // The first row whose entry sorts after `text`.
    int low = 0;
    int high = count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (text.compare(textView(middle), Qt::CaseInsensitive) < 0)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

int Model::insertSorted(const QString& text, qint32 data)
{
    const int row = sortedRow(text);
    beginInsertRows(QModelIndex(), row, row);
    m_rows.insert(m_rows.begin() + row, m_store.append(text, data));
    endInsertRows();
    return row;
}

void Model::mergeOneByOne(const Batch& batch)
{
    for (std::size_t position = 0; position < batch.size(); ++position)
        insertSorted(batch.text(position).toString(), batch.data(position));
}

// Entries already listed would have to be merged in; the windows always fill
// an emptied list, so that rare case takes the entries one by one.
void Model::insertSorted(const Batch& batch)
{
    if (!m_rows.empty()) {
        mergeOneByOne(batch);
        return;
    }
    if (batch.isEmpty())
        return;
    beginResetModel();
    m_rows = batch.sortedOrder();
    m_store = batch.m_store;
    endResetModel();
}

void Model::insertSorted(Batch&& batch)
{
    if (!m_rows.empty()) {
        mergeOneByOne(batch);
        return;
    }
    if (batch.isEmpty())
        return;
    batch.sortedOrder();
    beginResetModel();
    m_rows = std::move(batch.m_sortedOrder);
    m_store = std::move(batch.m_store);
    endResetModel();
    batch = Batch();
}

void Model::clear()
{
    if (m_rows.empty() && m_store.size() == 0)
        return;
    const bool listed = !m_rows.empty();
    if (listed)
        beginResetModel();
    // The memory goes too: a list of 30,000 units is not kept for the next fill.
    m_store = EntryStore();
    std::vector<quint32>().swap(m_rows);
    if (listed)
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
    // The removed texts stay in the store until the next clear.
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
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
    insertSorted(combo, Batch(batch));
}

void insertSorted(QComboBox* combo, Batch&& batch)
{
    Model* model = sortedModel(combo);
    int first = -1;
    if (model->count() == 0 && !batch.isEmpty()) {
        const std::vector<quint32>& order = batch.sortedOrder();
        first = int(std::find(order.begin(), order.end(), quint32(0)) - order.begin());
    }
    model->insertSorted(std::move(batch));
    if (first >= 0)
        combo->setCurrentIndex(first);
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
