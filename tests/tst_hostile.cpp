// Hostile text everywhere a user types: names and factors in the New Values
// window, the value in the converter, the text of every editable combo. Each
// input must end in the window's designed message (or a run-time error box
// for the cases no handler traps) or in stored rows that read back exactly as
// the widget held them; never a crash, a hang, or a row nobody asked for.

#include "Pages.h"
#include "Reliability.h"
#include "TestDatabase.h"

#include "app/MDIMain.h"
#include "convert/frmUnitConv.h"
#include "data/modMain.h"
#include "engine/AddValues.h"
#include "engine/NumberText.h"
#include "kit/MessageBox.h"
#include "newvalues/frmNew.h"
#include "options/frmOptions.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

using namespace Reliability;
using namespace TestKit;

namespace {

const QDateTime Clock(QDate(2024, 3, 5), QTime(14, 7, 9));
const QString ClockId = QStringLiteral("15172419");
const QString NoUnitText =
    QStringLiteral("No unit available for this property. To add new unit for this property go to 'Tools' -> 'New'.");

int g_inputsTried = 0;

struct Hostile
{
    const char* tag;
    QString text;
    // False for text no catalogue row can give back as typed.
    bool storable = true;
};

QString withNul()
{
    QString text = QStringLiteral("nul");
    text += QChar(0);
    text += QStringLiteral("inside");
    return text;
}

// Texts that break naive SQL building, text handling or display.
QList<Hostile> hostileTexts()
{
    return {
        {"apostrophe", QStringLiteral("O'Brien's gauge")},
        {"lone apostrophe", QStringLiteral("'")},
        {"double quotes", QStringLiteral("\"inch\" \"\"")},
        {"percent", QStringLiteral("100% proof")},
        {"underscore", QStringLiteral("_a_b_")},
        {"like pattern", QStringLiteral("%_%")},
        {"backslashes", QStringLiteral("C:\\units\\new\\")},
        {"semicolons", QStringLiteral("a; b;")},
        {"injection drop", QStringLiteral("x'); DROP TABLE tbProperty; --")},
        {"injection or", QStringLiteral("' OR '1'='1")},
        {"sql keywords", QStringLiteral("SELECT * FROM tbUnits WHERE 1=1")},
        {"word NULL", QStringLiteral("NULL")},
        {"leading and trailing blanks", QStringLiteral("   padded name   ")},
        {"10000 characters", QStringLiteral("x'\"%_").repeated(2000)},
        {"right-to-left", QStringLiteral("متر مربع")},
        {"mixed direction", QStringLiteral("מטר m² \u200f(1)")},
        {"direction override", QStringLiteral("\u202Eabc\u202C")},
        {"combining marks", QStringLiteral("e\u0301\u0301 n\u0303 a\u20DD")},
        {"emoji", QStringLiteral("📏 ruler 👩‍🔬")},
        {"control characters", QStringLiteral("a\x01"
                                              "b\x1f"
                                              "c\x7f")},
        {"newline and tab", QStringLiteral("line1\nline2\tend")},
        {"embedded NUL", withNul()},
        {"lone surrogate", QString(QChar(0xD800)) + QStringLiteral("half"), false},
        {"leading byte-order mark", QStringLiteral("\uFEFFname"), false},
        {"leading swapped byte-order mark", QStringLiteral("\uFFFE\uFFFF end"), false},
        {"noncharacters inside", QStringLiteral("a\uFFFE\uFFFFb"), false},
        {"zero-width no-break space inside", QStringLiteral("a\uFEFFb")},
        {"zero-width space", QStringLiteral("\u200B")},
        {"placeholder text", QStringLiteral("Select a Property")},
        {"letter case only", QStringLiteral("LENGTH")},
    };
}

// What a typed value gives: "Invalid Input", a value too large to convert, or a
// result (too large to show where its exact value is beyond the double range).
enum Outcome { Invalid, TooLarge, Result, ResultTooLarge };

struct ValueCase
{
    const char* locale;
    QString text;
    Outcome outcome;
    double value;
};

constexpr double Inf = std::numeric_limits<double>::infinity();

// Values typed as numbers: the outcome in the converter, and the number the
// text means where it is numeric.
QList<ValueCase> valueCases()
{
    const QString tiny = QStringLiteral("0.") + QString(400, QLatin1Char('0')) + QStringLiteral("1");
    QString nulDigit = QStringLiteral("1");
    nulDigit += QChar(0);
    return {
        {"C", QStringLiteral("1.5"), Result, 1.5},
        {"C", QStringLiteral(" 1.5 "), Result, 1.5},
        {"C", QStringLiteral("1,5"), Invalid, 0},
        {"C", QStringLiteral("1e39"), Result, 1e39},
        {"C", QStringLiteral("-1e39"), Result, -1e39},
        {"C", QStringLiteral("1e-46"), Result, 1e-46},
        {"C", QStringLiteral("-1e-46"), Result, -1e-46},
        {"C", QStringLiteral("1e-45"), Result, 1e-45},
        {"C", QStringLiteral("3.4e38"), Result, 3.4e38},
        {"C", QStringLiteral("3.5e38"), Result, 3.5e38},
        {"C", QStringLiteral("1.7e308"), Result, 1.7e308},
        {"C", QStringLiteral("-1e308"), Result, -1e308},
        {"C", QStringLiteral("1e400"), TooLarge, Inf},
        {"C", QStringLiteral("-1e400"), TooLarge, -Inf},
        {"C", QStringLiteral("1") + QString(400, QLatin1Char('0')), TooLarge, Inf},
        {"C", tiny, Result, 0},
        {"C", QStringLiteral("NaN"), Invalid, 0},
        {"C", QStringLiteral("nan"), Invalid, 0},
        {"C", QStringLiteral("Infinity"), Invalid, 0},
        {"C", QStringLiteral("-Infinity"), Invalid, 0},
        {"C", QStringLiteral("inf"), Invalid, 0},
        {"C", QStringLiteral("0x10"), Invalid, 0},
        {"C", QStringLiteral("--1"), Invalid, 0},
        {"C", QStringLiteral("+-1"), Invalid, 0},
        {"C", QStringLiteral("1e"), Invalid, 0},
        {"C", QStringLiteral("1e+"), Invalid, 0},
        {"C", QStringLiteral("e5"), Invalid, 0},
        {"C", QStringLiteral("."), Invalid, 0},
        {"C", QString(), Invalid, 0},
        {"C", QStringLiteral("   "), Invalid, 0},
        {"C", QStringLiteral("\t"), Invalid, 0},
        {"C", QStringLiteral("1 000"), Invalid, 0},
        {"C", QStringLiteral("1_000"), Invalid, 0},
        {"C", QStringLiteral("\uFF11"), Invalid, 0},
        {"C", QStringLiteral("\u0663"), Invalid, 0},
        {"C", QStringLiteral("\u22121"), Invalid, 0},
        {"C", nulDigit, Invalid, 0},
        {"C", QStringLiteral("1;"), Invalid, 0},
        {"C", QStringLiteral("1'"), Invalid, 0},
        {"C", QStringLiteral("1\u00A0"), Result, 1},
        {"C", QStringLiteral(".5"), Result, 0.5},
        {"C", QStringLiteral("5."), Result, 5},
        {"C", QStringLiteral("+2"), Result, 2},
        {"C", QStringLiteral("0"), Result, 0},
        {"C", QStringLiteral("-0"), Result, -0.0},
        {"C", QStringLiteral("1E3"), Result, 1000},
        {"C", QStringLiteral("1.5e-3"), Result, 0.0015},
        {"C", QStringLiteral("99999999999999999999"), Result, 1e20},
        {"de_DE", QStringLiteral("1,5"), Result, 1.5},
        {"de_DE", QStringLiteral("1.5"), Invalid, 0},
        {"de_DE", QStringLiteral("1.000,5"), Invalid, 0},
        {"de_DE", QStringLiteral(",5"), Result, 0.5},
        {"de_DE", QStringLiteral("1,5e3"), Result, 1500},
        {"de_DE", QStringLiteral("1e39"), Result, 1e39},
        {"de_DE", QStringLiteral("-1e39"), Result, -1e39},
        {"de_DE", QStringLiteral("1e400"), TooLarge, Inf},
        {"de_DE", QStringLiteral("1e-46"), Result, 1e-46},
        {"de_DE", QStringLiteral("NaN"), Invalid, 0},
        {"de_DE", QStringLiteral("Infinity"), Invalid, 0},
        {"de_DE", QStringLiteral("0x10"), Invalid, 0},
        {"de_DE", QStringLiteral("--1"), Invalid, 0},
        {"de_DE", QStringLiteral("1e"), Invalid, 0},
        {"de_DE", QStringLiteral("   "), Invalid, 0},
    };
}

QString valueTag(const ValueCase& c)
{
    QString shown = c.text.size() > 20 ? c.text.left(12) + QStringLiteral("...(%1)").arg(c.text.size()) : c.text;
    shown.replace(QChar(0), QStringLiteral("\\0"));
    return QStringLiteral("%1 [%2]").arg(shown, QLatin1String(c.locale));
}

void addValueColumns()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<double>("value");
}

void useLocale(const QString& name)
{
    QLocale::setDefault(name == QLatin1String("C") ? QLocale::c() : QLocale(name));
}

bool isRuntimeError(const MessageBox::Record& record)
{
    return record.style == MsgStyle::Critical && record.text.startsWith(QStringLiteral("Run-time error"));
}

bool isWarning(const QList<MessageBox::Record>& records, const QString& text)
{
    return records.size() == 1 && records.first().text == text && records.first().style == MsgStyle::Exclamation &&
           records.first().title == BoxTitle;
}

// A small catalogue: a factor property, a property that borrows its units,
// and a temperature property.
void seed(TestDatabase& db)
{
    db.addProperty(QStringLiteral("1015"), QStringLiteral("Length"));
    db.addProperty(QStringLiteral("1040"), QStringLiteral("Distance"));
    db.addProperty(QStringLiteral("92"), QStringLiteral("Temperature"));
    db.addUnit(QStringLiteral("1"), QStringLiteral("Metre"), 1.0, QStringLiteral("1015"));
    db.addUnit(QStringLiteral("2"), QStringLiteral("Kilometre"), 0.001, QStringLiteral("1015"));
    db.addUnit(QStringLiteral("10"), QStringLiteral("Celsius"), 1.0, QStringLiteral("92"));
    db.addUnit(QStringLiteral("11"), QStringLiteral("Fahrenheit"), 1.0, QStringLiteral("92"));
    db.openShared();
}

QStringList catalogue()
{
    return snapshot(modMain::dbConnection.database());
}

// One column of the rows of `table` whose column `key` equals `id`, read on
// the program's connection.
QVariantList column(const QString& table, const QString& wanted, const QString& key, const QString& id)
{
    QSqlQuery query(modMain::dbConnection.database());
    query.prepare(QStringLiteral("select %1 from %2 where %3 = ? order by rowid").arg(wanted, table, key));
    query.addBindValue(id);
    QVariantList values;
    if (!query.exec())
        return values;
    while (query.next())
        values << query.value(0);
    return values;
}

int rowCount(const QString& table)
{
    QSqlQuery query(modMain::dbConnection.database());
    if (!query.exec(QStringLiteral("select count(*) from ") + table) || !query.next())
        return -1;
    return query.value(0).toInt();
}

using Converter = TestKit::ConverterPage;
using Options = TestKit::OptionsPage;
struct NewValues : TestKit::NewValuesPage
{
    NewValues() { open(); }
};

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        preferMemoryTempDir();
        MessageBox::setIntercepting(true);
    }
    void init()
    {
        QLocale::setDefault(QLocale::c());
        MessageBox::takeRecords();
        setClockSource([] { return Clock; });
        m_db = std::make_unique<TestDatabase>();
        seed(*m_db);
    }
    void cleanup()
    {
        ++g_inputsTried;
        m_db.reset();
        setClockSource({});
        QLocale::setDefault(QLocale::c());
    }
    void cleanupTestCase() { qInfo("hostile inputs tried: %d", g_inputsTried); }

    void propertyNames_data();
    void propertyNames();
    void unitNames_data();
    void unitNames();
    void blankNames_data();
    void blankNames();
    void typedComboText_data();
    void typedComboText();
    void namesInOptions_data();
    void namesInOptions();
    void converterValues_data();
    void converterValues();
    void factorValues_data();
    void factorValues();
    void throughTheMainWindow_data();
    void throughTheMainWindow();

private:
    std::unique_ptr<TestDatabase> m_db;
};

void TestHostile::propertyNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("baseUnit");
    QTest::addColumn<QString>("refusal");
    for (const Hostile& h : hostileTexts()) {
        QTest::addRow("%s as property", h.tag)
            << h.text << QStringLiteral("Base") << (h.storable ? QString() : QStringLiteral("Invalid Input"));
        QTest::addRow("%s as base unit", h.tag)
            << QStringLiteral("Property") << h.text << (h.storable ? QString() : QStringLiteral("Invalid Base Unit"));
    }
}

// Property mode stores both names exactly as the boxes hold them, refuses the
// same name a second time, and every window lists them as stored. Text that
// no row can give back as typed is refused with the field's message.
void TestHostile::propertyNames()
{
    QFETCH(QString, name);
    QFETCH(QString, baseUnit);
    QFETCH(QString, refusal);
    const QStringList before = catalogue();
    {
        NewValues w;
        typeInto(w.txtValue(), name);
        typeInto(w.txtUnitValue(), baseUnit);
        const QString typedName = w.txtValue()->text();
        const QString typedBase = w.txtUnitValue()->text();
        w.add();
        if (!refusal.isEmpty()) {
            QVERIFY(isWarning(MessageBox::takeRecords(), refusal));
            QCOMPARE(w.txtValue()->text(), typedName);
            QCOMPARE(w.txtUnitValue()->text(), typedBase);
            QCOMPARE(catalogue(), before);
            return;
        }
        QCOMPARE(MessageBox::takeRecords().size(), 0);

        for (const char* table : {"tbProperty", "tbUserProperty"}) {
            QCOMPARE(column(QLatin1String(table), QStringLiteral("propname"), QStringLiteral("PropID"), ClockId),
                     QVariantList{typedName});
            QCOMPARE(column(QLatin1String(table), QStringLiteral("propDF"), QStringLiteral("PropID"), ClockId),
                     QVariantList{QStringLiteral("0")});
        }
        for (const char* table : {"tbUnits", "tbUserUnits"}) {
            QCOMPARE(column(QLatin1String(table), QStringLiteral("uname"), QStringLiteral("UID"), ClockId),
                     QVariantList{typedBase});
            QCOMPARE(column(QLatin1String(table), QStringLiteral("PropID"), QStringLiteral("UID"), ClockId),
                     QVariantList{ClockId});
            QCOMPARE(column(QLatin1String(table), QStringLiteral("factor"), QStringLiteral("UID"), ClockId),
                     QVariantList{1.0});
        }
        QCOMPARE(rowCount(QStringLiteral("tbProperty")), 4);
        QCOMPARE(rowCount(QStringLiteral("tbUnits")), 5);
        QCOMPARE(rowCount(QStringLiteral("tbUserProperty")), 1);
        QCOMPARE(rowCount(QStringLiteral("tbUserUnits")), 1);
        QCOMPARE(w.txtValue()->text(), QString());

        // The same name again is refused and changes nothing.
        const QStringList added = catalogue();
        typeInto(w.txtValue(), typedName);
        typeInto(w.txtUnitValue(), typedBase);
        w.add();
        QVERIFY(isWarning(MessageBox::takeRecords(), QStringLiteral("Property name already exsists")));
        QCOMPARE(catalogue(), added);

        // Unit mode offers it, and its base unit as the only base unit.
        w.unitMode();
        QVERIFY(chooseEntry(w.cbProperty(), typedName));
        QCOMPARE(entries(w.cbUnit()), QStringList{typedBase});
        QCOMPARE(MessageBox::takeRecords().size(), 0);

        Converter c;
        QCOMPARE(entries(c.combo()).count(typedName), 1);
        QVERIFY(chooseEntry(c.combo(), typedName));
        QCOMPARE(entries(c.from()), QStringList{typedBase});
        QCOMPARE(entries(c.to()), QStringList{typedBase});
        typeInto(c.input(), QStringLiteral("2"));
        QVERIFY(clickEntry(c.from(), typedBase));
        QVERIFY(isWarning(MessageBox::takeRecords(), QStringLiteral("Select Unit To")));
        QVERIFY(clickEntry(c.to(), typedBase));
        QCOMPARE(MessageBox::takeRecords().size(), 0);
        QCOMPARE(c.output()->text(), QStringLiteral("2"));
    }
    // Nothing but the four rows asked for: remove them and the rest is as before.
    m_db->exec(QStringLiteral("delete from tbProperty where PropID = ?"), {ClockId});
    m_db->exec(QStringLiteral("delete from tbUnits where UID = ?"), {ClockId});
    m_db->exec(QStringLiteral("delete from tbUserProperty"));
    m_db->exec(QStringLiteral("delete from tbUserUnits"));
    QCOMPARE(catalogue(), before);
}

void TestHostile::unitNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("storable");
    for (const Hostile& h : hostileTexts())
        QTest::addRow("%s", h.tag) << h.text << h.storable;
}

// Unit mode stores the name exactly, refuses it again under the same
// property, and the converter lists and converts it, also for a borrower.
void TestHostile::unitNames()
{
    QFETCH(QString, name);
    QFETCH(bool, storable);
    const QStringList before = catalogue();
    {
        NewValues w;
        w.unitMode();
        QVERIFY(chooseEntry(w.cbProperty(), QStringLiteral("Length")));
        QVERIFY(chooseEntry(w.cbUnit(), QStringLiteral("Metre")));
        typeInto(w.txtValue(), name);
        typeInto(w.txtUnitValue(), QStringLiteral("4"));
        const QString typed = w.txtValue()->text();
        w.add();
        if (!storable) {
            QVERIFY(isWarning(MessageBox::takeRecords(), QStringLiteral("Invalid Input")));
            QCOMPARE(catalogue(), before);
            return;
        }
        QCOMPARE(MessageBox::takeRecords().size(), 0);
        for (const char* table : {"tbUnits", "tbUserUnits"}) {
            QCOMPARE(column(QLatin1String(table), QStringLiteral("uname"), QStringLiteral("UID"), ClockId),
                     QVariantList{typed});
            QCOMPARE(column(QLatin1String(table), QStringLiteral("factor"), QStringLiteral("UID"), ClockId),
                     QVariantList{0.25});
            QCOMPARE(column(QLatin1String(table), QStringLiteral("PropID"), QStringLiteral("UID"), ClockId),
                     QVariantList{QStringLiteral("1015")});
            QCOMPARE(column(QLatin1String(table), QStringLiteral("df"), QStringLiteral("UID"), ClockId),
                     QVariantList{QStringLiteral("0")});
        }
        QCOMPARE(rowCount(QStringLiteral("tbUnits")), 5);
        QCOMPARE(rowCount(QStringLiteral("tbUserUnits")), 1);

        const QStringList added = catalogue();
        QVERIFY(chooseEntry(w.cbProperty(), QStringLiteral("Length")));
        QVERIFY(chooseEntry(w.cbUnit(), QStringLiteral("Metre")));
        typeInto(w.txtValue(), typed);
        typeInto(w.txtUnitValue(), QStringLiteral("4"));
        w.add();
        QVERIFY(isWarning(MessageBox::takeRecords(), QStringLiteral("Unit already exsists for this Property")));
        QCOMPARE(catalogue(), added);

        for (const QString& property : {QStringLiteral("Length"), QStringLiteral("Distance")}) {
            Converter c;
            QVERIFY(chooseEntry(c.combo(), property));
            QCOMPARE(entries(c.from()).count(typed), 1);
            QCOMPARE(entries(c.from()), entries(c.to()));
            typeInto(c.input(), QStringLiteral("1"));
            QVERIFY(clickEntry(c.from(), typed));
            MessageBox::takeRecords();
            QVERIFY(clickEntry(c.to(), QStringLiteral("Metre")));
            QCOMPARE(MessageBox::takeRecords().size(), 0);
            QCOMPARE(c.output()->text(), QStringLiteral("4"));
        }
    }
    m_db->exec(QStringLiteral("delete from tbUnits where UID = ?"), {ClockId});
    m_db->exec(QStringLiteral("delete from tbUserUnits"));
    QCOMPARE(catalogue(), before);
}

void TestHostile::blankNames_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("blank");
    const QList<Hostile> blanks{{"empty", QString()},
                                {"one blank", QStringLiteral(" ")},
                                {"blanks", QStringLiteral("     ")},
                                {"tab", QStringLiteral("\t")},
                                {"no-break space", QStringLiteral("\u00A0")},
                                {"ideographic space", QStringLiteral("\u3000")},
                                {"mixed", QStringLiteral(" \t\u00A0 ")}};
    for (const char* field : {"property name", "base unit", "unit name"}) {
        for (const Hostile& b : blanks)
            QTest::addRow("%s: %s", field, b.tag) << QString::fromLatin1(field) << b.text;
    }
}

// A name of blanks only is refused with the field's message; nothing is stored.
void TestHostile::blankNames()
{
    QFETCH(QString, field);
    QFETCH(QString, blank);
    const QStringList before = catalogue();
    NewValues w;
    if (field == QLatin1String("unit name")) {
        w.unitMode();
        QVERIFY(chooseEntry(w.cbProperty(), QStringLiteral("Length")));
        QVERIFY(chooseEntry(w.cbUnit(), QStringLiteral("Metre")));
        typeInto(w.txtValue(), blank);
        typeInto(w.txtUnitValue(), QStringLiteral("2"));
    } else {
        const bool nameIsBlank = field == QLatin1String("property name");
        typeInto(w.txtValue(), nameIsBlank ? blank : QStringLiteral("Name"));
        typeInto(w.txtUnitValue(), nameIsBlank ? QStringLiteral("Base") : blank);
    }
    const QString typedName = w.txtValue()->text();
    const QString typedSecond = w.txtUnitValue()->text();
    w.add();
    const QString expected =
        field == QLatin1String("base unit") ? QStringLiteral("Invalid Base Unit") : QStringLiteral("Invalid Input");
    QVERIFY(isWarning(MessageBox::takeRecords(), expected));
    QCOMPARE(w.txtValue()->text(), typedName);
    QCOMPARE(w.txtUnitValue()->text(), typedSecond);
    QCOMPARE(catalogue(), before);
}

void TestHostile::typedComboText_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("text");
    for (const char* where :
         {"converter property", "new values property", "new values base unit", "options property"}) {
        for (const Hostile& h : hostileTexts()) {
            // An entry's own name but for letter case: the combo may rightly take it as that entry.
            if (qstrcmp(h.tag, "letter case only") == 0)
                continue;
            QTest::addRow("%s: %s", where, h.tag) << QString::fromLatin1(where) << h.text;
        }
    }
}

// Text typed over an editable combo selects no entry: the action that needs
// an entry ends in its message and writes nothing.
void TestHostile::typedComboText()
{
    QFETCH(QString, where);
    QFETCH(QString, text);
    const QStringList before = catalogue();
    QList<MessageBox::Record> records;
    if (where == QLatin1String("converter property")) {
        Converter c;
        QVERIFY(chooseEntry(c.combo(), QStringLiteral("Length")));
        typeInto(c.input(), QStringLiteral("1"));
        QVERIFY(clickEntry(c.from(), QStringLiteral("Metre")));
        typeInto(c.combo()->lineEdit(), text);
        QTest::keyClick(c.combo()->lineEdit(), Qt::Key_Return);
        MessageBox::takeRecords();
        c.output()->setText(QStringLiteral("previous"));
        QVERIFY(clickEntry(c.to(), QStringLiteral("Kilometre")));
        records = MessageBox::takeRecords();
        QCOMPARE(records.size(), 1);
        QVERIFY2(isRuntimeError(records.first()), qPrintable(records.first().text));
        QCOMPARE(c.output()->text(), QString());
    } else if (where.startsWith(QLatin1String("new values"))) {
        NewValues w;
        w.unitMode();
        QVERIFY(chooseEntry(w.cbProperty(), QStringLiteral("Length")));
        const bool overProperty = where == QLatin1String("new values property");
        if (overProperty)
            QVERIFY(chooseEntry(w.cbUnit(), QStringLiteral("Metre")));
        QComboBox* combo = overProperty ? w.cbProperty() : w.cbUnit();
        typeInto(combo->lineEdit(), text);
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        MessageBox::takeRecords();
        typeInto(w.txtValue(), QStringLiteral("Furlong"));
        typeInto(w.txtUnitValue(), QStringLiteral("201.168"));
        w.add();
        QVERIFY(isWarning(MessageBox::takeRecords(), overProperty ? QStringLiteral("Property Not Selected")
                                                                  : QStringLiteral("Base Unit Not Selected")));
    } else {
        Options o;
        o.press("rbutUnit");
        MessageBox::takeRecords();
        typeInto(o.cbProperty()->lineEdit(), text);
        QTest::keyClick(o.cbProperty()->lineEdit(), Qt::Key_Return);
        QCOMPARE(o.lst1()->count() + o.lst2()->count(), 0);
        MessageBox::takeRecords();
        o.press("cmdHideSel");
        records = MessageBox::takeRecords();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first().text, NoUnitText);
        QCOMPARE(records.first().title, AppTitle);
    }
    QCOMPARE(catalogue(), before);
}

void TestHostile::namesInOptions_data()
{
    QTest::addColumn<QString>("typed");
    for (const Hostile& h : hostileTexts())
        QTest::addRow("%s", h.tag) << h.text;
}

// Rows holding hostile names are listed exactly and move like any other: the
// flag of the row moved is the only change.
void TestHostile::namesInOptions()
{
    QFETCH(QString, typed);
    m_db->addProperty(QStringLiteral("5000"), typed);
    m_db->addUnit(QStringLiteral("5001"), typed, 1.0, QStringLiteral("5000"));
    m_db->addUnit(QStringLiteral("5002"), typed, 2.0, QStringLiteral("1015"));
    // The lists show what the catalogue holds, which for text it cannot store
    // exactly is not what was given to it.
    const QString name = column(QStringLiteral("tbProperty"), QStringLiteral("propname"), QStringLiteral("PropID"),
                                QStringLiteral("5000"))
                             .value(0)
                             .toString();
    const QStringList before = catalogue();
    {
        Options o;
        o.press("rbutUnit");
        MessageBox::takeRecords();
        QVERIFY(chooseEntry(o.cbProperty(), name));
        QCOMPARE(entries(o.lst1()), QStringList{name});
        QVERIFY(clickEntry(o.lst1(), name));
        o.press("cmdHideSel");
        QCOMPARE(entries(o.lst2()), QStringList{name});
        QCOMPARE(column(QStringLiteral("tbUnits"), QStringLiteral("df"), QStringLiteral("UID"), QStringLiteral("5001")),
                 QVariantList{QStringLiteral("1")});

        QVERIFY(chooseEntry(o.cbProperty(), QStringLiteral("Length")));
        QCOMPARE(entries(o.lst1()).count(name), 1);

        o.press("rbutProperty");
        QCOMPARE(entries(o.lst1()).count(name), 1);
        QVERIFY(clickEntry(o.lst1(), name));
        o.press("cmdHideSel");
        QCOMPARE(entries(o.lst2()), QStringList{name});
        QCOMPARE(column(QStringLiteral("tbProperty"), QStringLiteral("propDF"), QStringLiteral("PropID"),
                        QStringLiteral("5000")),
                 QVariantList{QStringLiteral("1")});
        QCOMPARE(MessageBox::takeRecords().size(), 0);
    }
    m_db->exec(QStringLiteral("update tbUnits set df = '0' where UID = '5001'"));
    m_db->exec(QStringLiteral("update tbProperty set propDF = '0' where PropID = '5000'"));
    QCOMPARE(catalogue(), before);
}

void TestHostile::converterValues_data()
{
    addValueColumns();
    QTest::addColumn<QString>("property");
    for (const char* property : {"Length", "Temperature"}) {
        for (const ValueCase& c : valueCases())
            QTest::addRow("%s %s", property, qPrintable(valueTag(c)))
                << QString::fromLatin1(c.locale) << c.text << int(c.outcome) << c.value
                << QString::fromLatin1(property);
    }
}

// One conversion's end: the warning (the output then keeps its text), the
// message of a number too large (the output is emptied), or a result close to
// `expected`.
static void checkConversion(const QList<MessageBox::Record>& records, const QLineEdit* output, int outcome,
                            double expected)
{
    switch (outcome) {
    case Invalid:
        QVERIFY(isWarning(records, QStringLiteral("Invalid Input")));
        QCOMPARE(output->text(), QStringLiteral("previous"));
        break;
    case TooLarge:
    case ResultTooLarge:
        QVERIFY(!records.isEmpty());
        for (const MessageBox::Record& record : records)
            QVERIFY(isWarning({record}, outcome == TooLarge ? QStringLiteral("The value is too large to convert.")
                                                            : QStringLiteral("The result is too large to show.")));
        QCOMPARE(output->text(), QString());
        break;
    default: {
        QCOMPARE(records.size(), 0);
        const QString shown = output->text();
        QVERIFY2(NumberText::IsNumeric(shown), qPrintable(shown));
        const double got = NumberText::parseDouble(shown);
        QVERIFY2(std::fabs(got - expected) <= 1e-6 + 1e-6 * std::fabs(expected),
                 qPrintable(QStringLiteral("%1 shown for %2").arg(shown).arg(expected)));
    }
    }
}

// The value box: not numeric is "Invalid Input"; numeric beyond the double
// range is too large to convert; anything else converts, and Swap converts it
// the other way. Nothing is ever written.
void TestHostile::converterValues()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(int, outcome);
    QFETCH(double, value);
    QFETCH(QString, property);
    useLocale(locale);
    const bool temperature = property == QLatin1String("Temperature");
    const QStringList before = catalogue();

    Converter c;
    QVERIFY(chooseEntry(c.combo(), property));
    typeInto(c.input(), text);
    QVERIFY(clickEntry(c.from(), temperature ? QStringLiteral("Celsius") : QStringLiteral("Metre")));
    MessageBox::takeRecords();
    c.output()->setText(QStringLiteral("previous"));
    QVERIFY(clickEntry(c.to(), temperature ? QStringLiteral("Fahrenheit") : QStringLiteral("Kilometre")));
    const auto shown = [outcome](double expected) {
        return outcome == Result && !std::isfinite(expected) ? ResultTooLarge : outcome;
    };
    const double forward = temperature ? value * 1.8 + 32 : value * 0.001;
    checkConversion(MessageBox::takeRecords(), c.output(), shown(forward), forward);
    if (QTest::currentTestFailed())
        return;

    c.output()->setText(QStringLiteral("previous"));
    QTest::mouseClick(control<QPushButton>(c.form.get(), "cmdSwap"), Qt::LeftButton);
    const double reverse = temperature ? (value - 32) / 1.8 : value / 0.001;
    checkConversion(MessageBox::takeRecords(), c.output(), shown(reverse), reverse);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(c.input()->text(), text);
    QCOMPARE(catalogue(), before);
}

void TestHostile::factorValues_data()
{
    addValueColumns();
    for (const ValueCase& c : valueCases())
        QTest::addRow("%s", qPrintable(valueTag(c)))
            << QString::fromLatin1(c.locale) << c.text << int(c.outcome) << c.value;
}

// The New Values factor box: a unit is stored only with a factor the
// converter can use (finite, positive, within single precision and not
// rounding to zero there); anything else is "Invalid Factor".
void TestHostile::factorValues()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(int, outcome);
    QFETCH(double, value);
    useLocale(locale);
    const double factor = 1.0 / value;
    const bool storable = outcome != Invalid && value > 0 && std::isfinite(value) && std::isfinite(factor) &&
                          factor <= std::numeric_limits<float>::max() && static_cast<float>(factor) != 0.0f;

    NewValues w;
    w.unitMode();
    QVERIFY(chooseEntry(w.cbProperty(), QStringLiteral("Length")));
    QVERIFY(chooseEntry(w.cbUnit(), QStringLiteral("Metre")));
    typeInto(w.txtValue(), QStringLiteral("Hostile factor"));
    typeInto(w.txtUnitValue(), text);
    const QStringList before = catalogue();
    w.add();
    const QList<MessageBox::Record> records = MessageBox::takeRecords();
    if (!storable) {
        QVERIFY2(isWarning(records, QStringLiteral("Invalid Factor")),
                 qPrintable(records.isEmpty() ? QStringLiteral("no message") : records.first().text));
        QCOMPARE(catalogue(), before);
        return;
    }
    QCOMPARE(records.size(), 0);
    for (const char* table : {"tbUnits", "tbUserUnits"})
        QCOMPARE(column(QLatin1String(table), QStringLiteral("factor"), QStringLiteral("UID"), ClockId),
                 QVariantList{factor});
    m_db->exec(QStringLiteral("delete from tbUnits where UID = ?"), {ClockId});
    m_db->exec(QStringLiteral("delete from tbUserUnits"));
    QCOMPARE(catalogue(), before);
}

void TestHostile::throughTheMainWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("storable");
    for (const Hostile& h : hostileTexts())
        QTest::addRow("%s", h.tag) << h.text << h.storable;
}

// The whole road in the main window: the converter's "&New Values" button, an
// added property, the menu back to the converter, the options window hiding
// it, and the converter no longer offering it.
void TestHostile::throughTheMainWindow()
{
    QFETCH(QString, name);
    QFETCH(bool, storable);
    MDIMain main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const auto trigger = [&main](const char* action) { main.findChild<QAction*>(QLatin1String(action))->trigger(); };

    frmUnitConv* converter = main.loadedChild<frmUnitConv>();
    QVERIFY(converter);
    QTest::mouseClick(control<QPushButton>(converter, "Command3"), Qt::LeftButton);
    QTRY_VERIFY(!main.loadedChild<frmUnitConv>());
    frmNew* newValues = main.loadedChild<frmNew>();
    QVERIFY(newValues);
    typeInto(control<QLineEdit>(newValues, "txtValue"), name);
    typeInto(control<QLineEdit>(newValues, "txtUnitValue"), name);
    const QString typed = control<QLineEdit>(newValues, "txtValue")->text();
    QTest::mouseClick(control<QPushButton>(newValues, "cmdCalc"), Qt::LeftButton);
    if (!storable) {
        QVERIFY(isWarning(MessageBox::takeRecords(), QStringLiteral("Invalid Input")));
        QCOMPARE(rowCount(QStringLiteral("tbProperty")), 3);
        return;
    }
    QTest::mouseClick(control<QPushButton>(newValues, "cmdExit"), Qt::LeftButton);
    QTRY_VERIFY(!main.loadedChild<frmNew>());

    trigger("mnuUnitConv");
    converter = main.loadedChild<frmUnitConv>();
    QVERIFY(converter);
    QVERIFY(chooseEntry(control<QComboBox>(converter, "cbProperty"), typed));
    QCOMPARE(entries(control<SortedLists::ListView>(converter, "lstUnitFrm")), QStringList{typed});

    QTest::mouseClick(control<QPushButton>(converter, "Command2"), Qt::LeftButton);
    QTRY_VERIFY(!main.loadedChild<frmUnitConv>());
    frmOptions* options = main.loadedChild<frmOptions>();
    QVERIFY(options);
    QTest::mouseClick(control<QRadioButton>(options, "rbutProperty"), Qt::LeftButton);
    QVERIFY(clickEntry(control<SortedLists::ListView>(options, "lst1"), typed));
    QTest::mouseClick(control<QPushButton>(options, "cmdHideSel"), Qt::LeftButton);
    QCOMPARE(entries(control<SortedLists::ListView>(options, "lst2")), QStringList{typed});
    QTest::mouseClick(control<QPushButton>(options, "cmdCancel"), Qt::LeftButton);
    QTRY_VERIFY(!main.loadedChild<frmOptions>());

    trigger("mnuUnitConv");
    converter = main.loadedChild<frmUnitConv>();
    QVERIFY(converter);
    QCOMPARE(entries(control<QComboBox>(converter, "cbProperty")),
             (QStringList{QStringLiteral("Distance"), QStringLiteral("Length"), QStringLiteral("Temperature")}));
    QCOMPARE(MessageBox::takeRecords().size(), 0);
    QCOMPARE(column(QStringLiteral("tbProperty"), QStringLiteral("propname"), QStringLiteral("PropID"), ClockId),
             QVariantList{typed});
    QCOMPARE(column(QStringLiteral("tbProperty"), QStringLiteral("propDF"), QStringLiteral("PropID"), ClockId),
             QVariantList{QStringLiteral("1")});
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
