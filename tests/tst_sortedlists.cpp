#include "CatalogueRows.h"
#include "DataTable.h"
#include "TestDatabase.h"

#include "data/RuntimeError.h"
#include "data/Schema.h"
#include "data/modMain.h"
#include "kit/SortedLists.h"

#include <QComboBox>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

// Filling a list or combo in one go must leave exactly what adding the same
// entries one by one leaves: sorted ignoring letter case, equal texts in the
// order they came, each entry with its own item data.

namespace {

using SortedLists::Entry;
using Entries = QList<Entry>;

SortedLists::Batch batchOf(const Entries& entries)
{
    SortedLists::Batch batch;
    for (const Entry& entry : entries)
        batch.add(entry.text, entry.data);
    return batch;
}

QStringList rowsOf(const SortedLists::Model& model)
{
    QStringList rows;
    for (int row = 0; row < model.count(); ++row)
        rows << QStringLiteral("%1=%2").arg(model.text(row)).arg(model.itemData(row));
    return rows;
}

// What a view reads from the model, through the roles every view uses.
QStringList rowsThroughRoles(const QAbstractItemModel* model)
{
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        rows << QStringLiteral("%1=%2").arg(index.data().toString()).arg(index.data(Qt::UserRole).value<qint32>());
    }
    return rows;
}

QStringList rowsOf(const QComboBox* combo)
{
    QStringList rows;
    for (int row = 0; row < combo->count(); ++row)
        rows << QStringLiteral("%1=%2").arg(combo->itemText(row)).arg(SortedLists::itemData(combo, row));
    return rows;
}

QStringList rowsOf(const Entries& entries)
{
    QStringList rows;
    for (const Entry& entry : entries)
        rows << QStringLiteral("%1=%2").arg(entry.text).arg(entry.data);
    return rows;
}

QComboBox* makeCombo(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    SortedLists::useSortedModel(combo);
    return combo;
}

} // namespace

Q_DECLARE_METATYPE(Entries)

class TestSortedLists : public QObject
{
    Q_OBJECT

private:
    static void addCases()
    {
        const TestKit::DataTable<Entries, Entries> row("before", "added");
        row("mixed case", {}, {{"b", 1}, {"A", 2}, {"a", 3}, {"B", 4}, {"c", 5}, {"C", 6}});
        row("equal texts keep their order", {}, {{"Foot", 10}, {"foot", 11}, {"FOOT", 12}, {"Inch", 13}, {"foot", 14}});
        row("reverse order", {}, {{"yard", 1}, {"mile", 2}, {"Inch", 3}, {"foot", 4}});
        row("digits, blanks and accents", {},
            {{"m2", 1}, {"m 2", 2}, {"M10", 3}, {QStringLiteral("\u00e9tal"), 4}, {"Etal", 5}});
        row("one entry", {}, {{"Metre", -7}});
        row("nothing", {}, {});
        row("into a filled widget", {{"Mass", 1}, {"area", 2}}, {{"Area", 3}, {"mass", 4}, {"Length", 5}});
    }

private slots:
    void listFillMatchesOneByOne_data() { addCases(); }
    void listFillMatchesOneByOne()
    {
        QFETCH(Entries, before);
        QFETCH(Entries, added);
        SortedLists::Model oneByOne;
        SortedLists::Model batched;
        for (const Entry& entry : before) {
            oneByOne.insertSorted(entry.text, entry.data);
            batched.insertSorted(entry.text, entry.data);
        }
        for (const Entry& entry : added)
            oneByOne.insertSorted(entry.text, entry.data);
        batched.insertSorted(batchOf(added));

        QCOMPARE(rowsOf(batched), rowsOf(oneByOne));
        QCOMPARE(rowsThroughRoles(&batched), rowsOf(oneByOne));
        QCOMPARE(batched.count(), before.size() + added.size());
    }

    void comboFillMatchesOneByOne_data() { addCases(); }
    void comboFillMatchesOneByOne()
    {
        QFETCH(Entries, before);
        QFETCH(Entries, added);
        QWidget parent;
        QComboBox* oneByOne = makeCombo(&parent);
        QComboBox* batched = makeCombo(&parent);
        for (const Entry& entry : before) {
            SortedLists::insertSorted(oneByOne, entry.text, entry.data);
            SortedLists::insertSorted(batched, entry.text, entry.data);
        }
        for (const Entry& entry : added)
            SortedLists::insertSorted(oneByOne, entry.text, entry.data);
        QSignalSpy activated(batched, &QComboBox::activated);
        SortedLists::insertSorted(batched, batchOf(added));

        QCOMPARE(rowsOf(batched), rowsOf(oneByOne));
        // The selected entry and the edit text are those one-by-one adding leaves.
        QCOMPARE(batched->currentIndex(), oneByOne->currentIndex());
        QCOMPARE(batched->currentText(), oneByOne->currentText());
        // Filling is no pick by the user.
        QCOMPARE(activated.count(), 0);
    }

    // Sorted ignoring case, equal texts in the order added, and every entry
    // still carrying the identifier it was added with.
    void orderAndItemData()
    {
        const Entries added{{"b", 1}, {"A", 2}, {"a", 3}, {"B", 4}, {"c", 5}, {"C", 6}};
        SortedLists::ListView list;
        QWidget parent;
        QComboBox* combo = makeCombo(&parent);
        const SortedLists::Batch batch = batchOf(added);
        list.entries()->insertSorted(batch);
        SortedLists::insertSorted(combo, batch);

        const QStringList expected = rowsOf(Entries{{"A", 2}, {"a", 3}, {"b", 1}, {"B", 4}, {"c", 5}, {"C", 6}});
        QCOMPARE(rowsOf(*list.entries()), expected);
        for (int row = 0; row < list.count(); ++row)
            QCOMPARE(QStringLiteral("%1=%2").arg(list.text(row)).arg(list.itemData(row)), expected.at(row));
        QCOMPARE(rowsOf(combo), expected);
        // The entry added first stays selected in the combo wherever sorting put it.
        QCOMPARE(combo->currentText(), QStringLiteral("b"));
        QCOMPARE(SortedLists::itemData(combo, combo->currentIndex()), 1);
    }

    // Adding more after a fill keeps the one sorted order, and a single entry
    // then goes where the batch would have put it.
    void singleInsertAfterBatch()
    {
        SortedLists::Model model;
        model.insertSorted(batchOf({{"metre", 1}, {"Foot", 2}, {"yard", 3}}));
        const int row = model.insertSorted(QStringLiteral("FOOT"), 4);
        QCOMPARE(row, 1);
        QCOMPARE(rowsOf(model), rowsOf(Entries{{"Foot", 2}, {"FOOT", 4}, {"metre", 1}, {"yard", 3}}));
    }

    // Texts built from letters whose case folding is unusual (sharp s, long s,
    // Kelvin sign, dotted and dotless i, final sigma), letters outside the
    // basic plane and stray surrogate halves sort as one-by-one adding sorts them.
    void unusualLettersSortAsOneByOne()
    {
        const QList<char32_t> letters{'a',     'A',    'k',    'K',   0x212A, 0xDF,    0x1E9E, 0x17F, 's',
                                      'S',     0x3A3,  0x3C3,  0x3C2, 0x130,  0x131,   'i',    'I',   0x10400,
                                      0x10428, 0xD800, 0xDC00, 0xE9,  0xC9,   0x1F600, ' ',    '0'};
        QRandomGenerator random(20261207);
        Entries added;
        for (int i = 0; i < 3000; ++i) {
            QString text;
            for (int length = random.bounded(1, 6); length > 0; --length) {
                const char32_t letter = letters.at(random.bounded(int(letters.size())));
                text += QString::fromUcs4(&letter, 1);
            }
            added.append({text, i});
        }
        SortedLists::Model oneByOne;
        for (const Entry& entry : added)
            oneByOne.insertSorted(entry.text, entry.data);
        SortedLists::Model batched;
        batched.insertSorted(batchOf(added));
        QCOMPARE(rowsOf(batched), rowsOf(oneByOne));
    }

    // Two list boxes over one model show the same entries in the same order,
    // each with a selection of its own; a refill empties both selections
    // without telling either list, and leaves both showing the new entries.
    void sharedModelTwoSelections()
    {
        SortedLists::Model units;
        SortedLists::ListView from(nullptr, &units);
        SortedLists::ListView to(nullptr, &units);
        for (SortedLists::ListView* list : {&from, &to})
            list->setSelectionMode(QAbstractItemView::SingleSelection);
        units.insertSorted(batchOf({{"Kelvin", 4}, {"celsius", 2}, {"Fahrenheit", 1}}));
        QCOMPARE(from.model(), to.model());
        from.setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        to.setCurrentRow(2, QItemSelectionModel::ClearAndSelect);
        QCOMPARE(from.selectedRows(), QList<int>{0});
        QCOMPARE(to.selectedRows(), QList<int>{2});
        QCOMPARE(to.itemData(to.selectedRow()), 4);

        QSignalSpy fromChanged(&from, &SortedLists::ListView::itemSelectionChanged);
        QSignalSpy toChanged(&to, &SortedLists::ListView::itemSelectionChanged);
        units.clear();
        units.insertSorted(batchOf({{"yard", 7}, {"Inch", 5}}));
        QCOMPARE(fromChanged.count() + toChanged.count(), 0);
        QCOMPARE(from.selectedRow(), -1);
        QCOMPARE(to.selectedRow(), -1);
        QVERIFY(!from.currentIndex().isValid());
        for (SortedLists::ListView* list : {&from, &to}) {
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->text(0), QStringLiteral("Inch"));
            QCOMPARE(list->itemData(1), 7);
        }
        // A selection made now is heard by its own list only.
        to.setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
        QCOMPARE(toChanged.count(), 1);
        QCOMPARE(fromChanged.count(), 0);
    }

    // Rows removed from the middle leave the others with their own item data,
    // and a later entry still goes to its sorted place among them.
    void removeRowsKeepsTheOthers()
    {
        SortedLists::Model model;
        model.insertSorted(batchOf({{"yard", 3}, {"Inch", 1}, {"metre", 2}, {"Foot", 4}}));
        QVERIFY(model.removeRows(1, 2));
        QCOMPARE(rowsOf(model), rowsOf(Entries{{"Foot", 4}, {"yard", 3}}));
        QCOMPARE(model.insertSorted(QStringLiteral("mile"), 5), 1);
        QCOMPARE(rowsThroughRoles(&model), rowsOf(Entries{{"Foot", 4}, {"mile", 5}, {"yard", 3}}));
    }

    // A combo cleared the way QComboBox clears loses every entry, and takes
    // the next fill as an empty combo does.
    void comboClearedAndRefilled()
    {
        QWidget parent;
        QComboBox* combo = makeCombo(&parent);
        SortedLists::insertSorted(combo, batchOf({{"Mass", 1}, {"area", 2}}));
        combo->clear();
        QCOMPARE(combo->count(), 0);
        SortedLists::insertSorted(combo, batchOf({{"Speed", 3}, {"length", 4}}));
        QCOMPARE(rowsOf(combo), rowsOf(Entries{{"length", 4}, {"Speed", 3}}));
        QCOMPARE(combo->currentText(), QStringLiteral("Speed"));
        QCOMPARE(combo->findText(QStringLiteral("length")), 0);
    }

    // A fill takes the rows its rule picks, from where the result set stands,
    // and lists them in one go: also those read before a row that fails, whose
    // failure then goes on to the caller.
    void fillFromRows_data()
    {
        const TestKit::DataTable<bool, bool, QStringList, int> row("visibleOnly", "badRow", "listed", "error");
        const QStringList all{"Foot=2", "hidden=3", "Metre=1", "odd flag=4"};
        row("every row", false, false, all, 0);
        row("visible rows", true, false, QStringList{"Foot=2", "Metre=1"}, 0);
        row("every row, then a bad one", false, true, all, int(ErrorNumber::InvalidUseOfNull));
        row("visible rows, then a bad one", true, true, QStringList{"Foot=2", "Metre=1"},
            int(ErrorNumber::InvalidUseOfNull));
    }

    void fillFromRows()
    {
        QFETCH(bool, visibleOnly);
        QFETCH(bool, badRow);
        QFETCH(QStringList, listed);
        QFETCH(int, error);
        TestDatabase db;
        TestKit::addRows(db, {{"1015", "Length"}},
                         {{"1", "Metre", 1.0, "1015"},
                          {"2", "Foot", 3.28, "1015"},
                          {"3", "hidden", 39.4, "1015", "1"},
                          {"4", "odd flag", 1.09, "1015", "2"}});
        if (badRow)
            db.exec("insert into tbUnits (UID, uname, factor, PropID, df) values ('5', null, 1, '1015', '0')");
        db.openShared();
        modMain::OpenRecordset("select * from tbUnits order by UID");
        SortedLists::Model model;
        SortedLists::Batch batch;
        int taken = 0;
        const int raised = errorOf([&] {
            SortedLists::fillFromRows(modMain::dbRecordset, "tbUnits",
                                      visibleOnly ? SortedLists::visibleRows(Schema::UnitColumn::df, batch)
                                                  : SortedLists::everyRow(batch),
                                      [&] {
                                          ++taken;
                                          model.insertSorted(batch);
                                      });
        });
        QCOMPARE(raised, error);
        QCOMPARE(taken, 1);
        QCOMPARE(rowsOf(model), listed);
    }

    // Only an entry whose text the edit field still shows is the chosen one.
    void shownEntry()
    {
        QWidget parent;
        QComboBox* combo = makeCombo(&parent);
        QVERIFY(!SortedLists::shownEntry(combo));
        SortedLists::insertSorted(combo, batchOf({{"Mass", 7}, {"area", 9}}));
        QCOMPARE(SortedLists::shownEntry(combo), std::optional<qint32>(7));
        combo->setCurrentIndex(0);
        QCOMPARE(SortedLists::shownEntry(combo), std::optional<qint32>(9));
        combo->setEditText("are");
        QVERIFY(!SortedLists::shownEntry(combo));
        combo->setCurrentIndex(-1);
        QVERIFY(!SortedLists::shownEntry(combo));
    }

    // A name wider than its list shows whole in a tooltip; a short one shows none.
    void wideNameHasTooltip()
    {
        SortedLists::ListView list;
        list.resize(120, 200);
        const QString wide = QStringLiteral("A name of a unit far wider than the list that shows it");
        list.entries()->insertSorted(batchOf({{wide, 1}, {QStringLiteral("Z"), 2}}));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        for (const auto& [row, shown] : {std::pair{1, QString()}, std::pair{0, wide}}) {
            const QPoint at = list.rowRect(row).center();
            QHelpEvent help(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(list.viewport(), &help);
            QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), shown);
        }
    }
};

QTEST_MAIN(TestSortedLists)
#include "tst_sortedlists.moc"
