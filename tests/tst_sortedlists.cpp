#include "app/SortedLists.h"

#include <QComboBox>
#include <QListWidget>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

// Filling a list or combo in one go must leave exactly what adding the same
// entries one by one leaves: sorted ignoring letter case, equal texts in the
// order they came, each entry with its own item data.

namespace {

struct Entry
{
    QString text;
    qint32 data;
};
using Entries = QList<Entry>;

SortedLists::Batch batchOf(const Entries& entries)
{
    SortedLists::Batch batch;
    for (const Entry& entry : entries)
        batch.add(entry.text, entry.data);
    return batch;
}

QStringList rowsOf(const QListWidget* list)
{
    QStringList rows;
    for (int row = 0; row < list->count(); ++row)
        rows << QStringLiteral("%1=%2").arg(list->item(row)->text()).arg(SortedLists::itemData(list, row));
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
        QTest::addColumn<Entries>("before");
        QTest::addColumn<Entries>("added");

        QTest::newRow("mixed case") << Entries{} << Entries{{"b", 1}, {"A", 2}, {"a", 3}, {"B", 4}, {"c", 5}, {"C", 6}};
        QTest::newRow("equal texts keep their order")
            << Entries{} << Entries{{"Foot", 10}, {"foot", 11}, {"FOOT", 12}, {"Inch", 13}, {"foot", 14}};
        QTest::newRow("reverse order") << Entries{} << Entries{{"yard", 1}, {"mile", 2}, {"Inch", 3}, {"foot", 4}};
        QTest::newRow("digits, blanks and accents")
            << Entries{} << Entries{{"m2", 1}, {"m 2", 2}, {"M10", 3}, {QStringLiteral("\u00e9tal"), 4}, {"Etal", 5}};
        QTest::newRow("one entry") << Entries{} << Entries{{"Metre", -7}};
        QTest::newRow("nothing") << Entries{} << Entries{};
        QTest::newRow("into a filled widget")
            << Entries{{"Mass", 1}, {"area", 2}} << Entries{{"Area", 3}, {"mass", 4}, {"Length", 5}};
    }

private slots:
    void listFillMatchesOneByOne_data() { addCases(); }
    void listFillMatchesOneByOne()
    {
        QFETCH(Entries, before);
        QFETCH(Entries, added);
        QListWidget oneByOne;
        QListWidget batched;
        for (const Entry& entry : before) {
            SortedLists::insertSorted(&oneByOne, entry.text, entry.data);
            SortedLists::insertSorted(&batched, entry.text, entry.data);
        }
        for (const Entry& entry : added)
            SortedLists::insertSorted(&oneByOne, entry.text, entry.data);
        SortedLists::insertSorted(&batched, batchOf(added));

        QCOMPARE(rowsOf(&batched), rowsOf(&oneByOne));
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
        QListWidget list;
        QWidget parent;
        QComboBox* combo = makeCombo(&parent);
        const SortedLists::Batch batch = batchOf(added);
        SortedLists::insertSorted(&list, batch);
        SortedLists::insertSorted(combo, batch);

        const QStringList expected = rowsOf(Entries{{"A", 2}, {"a", 3}, {"b", 1}, {"B", 4}, {"c", 5}, {"C", 6}});
        QCOMPARE(rowsOf(&list), expected);
        QCOMPARE(rowsOf(combo), expected);
        // The entry added first stays selected in the combo wherever sorting put it.
        QCOMPARE(combo->currentText(), QStringLiteral("b"));
        QCOMPARE(SortedLists::itemData(combo, combo->currentIndex()), 1);
    }

    // Adding more after a fill keeps the one sorted order, and a single entry
    // then goes where the batch would have put it.
    void singleInsertAfterBatch()
    {
        QListWidget list;
        SortedLists::insertSorted(&list, batchOf({{"metre", 1}, {"Foot", 2}, {"yard", 3}}));
        const int row = SortedLists::insertSorted(&list, QStringLiteral("FOOT"), 4);
        QCOMPARE(row, 1);
        QCOMPARE(rowsOf(&list), rowsOf(Entries{{"Foot", 2}, {"FOOT", 4}, {"metre", 1}, {"yard", 3}}));
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
        QListWidget oneByOne;
        for (const Entry& entry : added)
            SortedLists::insertSorted(&oneByOne, entry.text, entry.data);
        QListWidget batched;
        SortedLists::insertSorted(&batched, batchOf(added));
        QCOMPARE(rowsOf(&batched), rowsOf(&oneByOne));
    }

    // A batch serves several widgets alike, as the converter's two unit lists.
    void oneBatchTwoLists()
    {
        SortedLists::Batch batch = batchOf({{"Kelvin", 4}, {"celsius", 2}, {"Fahrenheit", 1}});
        QListWidget from;
        QListWidget to;
        SortedLists::insertSorted(&from, batch);
        batch.add(QStringLiteral("Rankine"), 3);
        SortedLists::insertSorted(&to, batch);
        QCOMPARE(rowsOf(&from), rowsOf(Entries{{"celsius", 2}, {"Fahrenheit", 1}, {"Kelvin", 4}}));
        QCOMPARE(rowsOf(&to), rowsOf(Entries{{"celsius", 2}, {"Fahrenheit", 1}, {"Kelvin", 4}, {"Rankine", 3}}));
    }
};

QTEST_MAIN(TestSortedLists)
#include "tst_sortedlists.moc"
