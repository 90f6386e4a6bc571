// Hostile text everywhere a user types: names and factors in the New Values
// window, the value in the converter, the text of every editable combo. Each
// input must end in the window's designed message (or a run-time error box
// for the cases no handler traps) or in stored rows that read back exactly as
// the widget held them; never a crash, a hang, or a row nobody asked for.

#include "Reliability.h"
#include "ShellPage.h"

#include "engine/AddValues.h"
#include "engine/NumberText.h"

#include <cmath>
#include <limits>
#include <memory>

using namespace Reliability;
using namespace TestKit;

namespace {

const QString NoUnitText =
    "No unit available for this property. To add new unit for this property go to 'Tools' -> 'New'.";

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
    QString text = "nul";
    text += QChar(0);
    text += "inside";
    return text;
}

// Texts that break naive SQL building, text handling or display.
QList<Hostile> hostileTexts()
{
    return {
        {"apostrophe", "O'Brien's gauge"},
        {"lone apostrophe", "'"},
        {"double quotes", QStringLiteral("\"inch\" \"\"")},
        {"percent", "100% proof"},
        {"underscore", "_a_b_"},
        {"like pattern", "%_%"},
        {"backslashes", QStringLiteral("C:\\units\\new\\")},
        {"semicolons", "a; b;"},
        {"injection drop", "x'); DROP TABLE tbProperty; --"},
        {"injection or", "' OR '1'='1"},
        {"sql keywords", "SELECT * FROM tbUnits WHERE 1=1"},
        {"word NULL", "NULL"},
        {"leading and trailing blanks", "   padded name   "},
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
        {"lone surrogate", QString(QChar(0xD800)) + "half", false},
        {"leading byte-order mark", QStringLiteral("\uFEFFname"), false},
        {"leading swapped byte-order mark", QStringLiteral("\uFFFE\uFFFF end"), false},
        {"noncharacters inside", QStringLiteral("a\uFFFE\uFFFFb"), false},
        {"zero-width no-break space inside", QStringLiteral("a\uFEFFb")},
        {"zero-width space", QStringLiteral("\u200B")},
        {"placeholder text", "Select a Property"},
        {"letter case only", "LENGTH"},
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
    const QString tiny = "0." + QString(400, QLatin1Char('0')) + "1";
    QString nulDigit = "1";
    nulDigit += QChar(0);
    QList<ValueCase> cases{
        {"C", "1.5", Result, 1.5},
        {"C", " 1.5 ", Result, 1.5},
        {"C", "1e39", Result, 1e39},
        {"C", "-1e39", Result, -1e39},
        {"C", "1e-46", Result, 1e-46},
        {"C", "-1e-46", Result, -1e-46},
        {"C", "1e-45", Result, 1e-45},
        {"C", "3.4e38", Result, 3.4e38},
        {"C", "3.5e38", Result, 3.5e38},
        {"C", "1.7e308", Result, 1.7e308},
        {"C", "-1e308", Result, -1e308},
        {"C", "1e400", TooLarge, Inf},
        {"C", "-1e400", TooLarge, -Inf},
        {"C", "1" + QString(400, QLatin1Char('0')), TooLarge, Inf},
        {"C", tiny, Result, 0},
        {"C", QStringLiteral("1\u00A0"), Result, 1},
        {"C", ".5", Result, 0.5},
        {"C", "5.", Result, 5},
        {"C", "+2", Result, 2},
        {"C", "0", Result, 0},
        {"C", "-0", Result, -0.0},
        {"C", "1E3", Result, 1000},
        {"C", "1.5e-3", Result, 0.0015},
        {"C", "99999999999999999999", Result, 1e20},
        {"de_DE", "1,5", Result, 1.5},
        {"de_DE", ",5", Result, 0.5},
        {"de_DE", "1,5e3", Result, 1500},
        {"de_DE", "1e39", Result, 1e39},
        {"de_DE", "-1e39", Result, -1e39},
        {"de_DE", "1e400", TooLarge, Inf},
        {"de_DE", "1e-46", Result, 1e-46},
    };
    // Not a number in the locale: "Invalid Input".
    QStringList notNumbers{"1,5",   "NaN",    "nan",    "Infinity", "-Infinity", "inf", "0x10", "--1",
                           "+-1",   "1e",     "1e+",    "e5",       ".",         "   ", "\t",   "1 000",
                           "1_000", "\uFF11", "\u0663", "\u22121",  "1;",        "1'"};
    notNumbers << QString() << nulDigit;
    for (const QString& text : std::as_const(notNumbers))
        cases.append({"C", text, Invalid, 0});
    for (const char* text : {"1.5", "1.000,5", "NaN", "Infinity", "0x10", "--1", "1e", "   "})
        cases.append({"de_DE", text, Invalid, 0});
    return cases;
}

// One row per hostile text: the text, and whether a row can give it back as typed.
void addHostileRows()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("storable");
    for (const Hostile& h : hostileTexts())
        QTest::addRow("%s", h.tag) << h.text << h.storable;
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
    return record.style == MsgStyle::Critical && record.text.startsWith("Run-time error");
}

bool isWarning(const QList<MessageBox::Record>& records, const QString& text)
{
    return records.size() == 1 && records.first().text == text && records.first().style == MsgStyle::Exclamation &&
           records.first().title == BoxTitle;
}

QStringList catalogue()
{
    return snapshot(modMain::dbConnection.database());
}

// One column of the rows of `table` whose identifier is `id`, read on the program's connection.
QVariantList column(const QString& table, const QString& wanted, const QString& id = ClockId)
{
    const QString key = table.endsWith(QLatin1String("Property")) ? "PropID" : "UID";
    return values(QStringLiteral("select %1 from %2 where %3 = ? order by rowid").arg(wanted, table, key), {id});
}

int rowCount(const QString& table)
{
    return scalar("select count(*) from " + table).toInt();
}

using Converter = TestKit::ConverterPage;
using Options = TestKit::OptionsPage;
using TestKit::NewValuesPage;
using TestKit::ShellPage;
struct NewValues : NewValuesPage
{
    NewValues() { open(); }
};

// One conversion's end: the warning (the output then keeps its text), the
// message of a number too large (the output is emptied), or a result close to
// `expected`.
void checkConversion(const QList<MessageBox::Record>& records, const QLineEdit* output, int outcome, double expected)
{
    switch (outcome) {
    case Invalid:
        QVERIFY(isWarning(records, "Invalid Input"));
        QCOMPARE(output->text(), "previous");
        break;
    case TooLarge:
    case ResultTooLarge:
        QVERIFY(!records.isEmpty());
        for (const MessageBox::Record& record : records)
            QVERIFY(isWarning({record}, outcome == TooLarge ? "The value is too large to convert."
                                                            : "The result is too large to show."));
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

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;

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
        seed(*m_db, false);
    }
    void cleanup()
    {
        ++g_inputsTried;
        m_db.reset();
        setClockSource({});
        QLocale::setDefault(QLocale::c());
    }
    void cleanupTestCase() { qInfo("hostile inputs tried: %d", g_inputsTried); }

    void propertyNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("baseUnit");
        QTest::addColumn<QString>("refusal");
        for (const Hostile& h : hostileTexts()) {
            QTest::addRow("%s as property", h.tag) << h.text << "Base" << (h.storable ? QString() : "Invalid Input");
            QTest::addRow("%s as base unit", h.tag)
                << "Property" << h.text << (h.storable ? QString() : "Invalid Base Unit");
        }
    }

    // Property mode stores both names exactly as the boxes hold them, refuses the
    // same name a second time, and every window lists them as stored. Text that
    // no row can give back as typed is refused with the field's message.
    void propertyNames()
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
                QCOMPARE(column(table, "propname"), QVariantList{typedName});
                QCOMPARE(column(table, "propDF"), QVariantList{"0"});
            }
            for (const char* table : {"tbUnits", "tbUserUnits"}) {
                QCOMPARE(column(table, "uname"), QVariantList{typedBase});
                QCOMPARE(column(table, "PropID"), QVariantList{ClockId});
                QCOMPARE(column(table, "factor"), QVariantList{1.0});
            }
            QCOMPARE(rowCount("tbProperty"), 4);
            QCOMPARE(rowCount("tbUnits"), 5);
            QCOMPARE(rowCount("tbUserProperty"), 1);
            QCOMPARE(rowCount("tbUserUnits"), 1);
            QCOMPARE(w.txtValue()->text(), QString());

            // The same name again is refused and changes nothing.
            const QStringList added = catalogue();
            typeInto(w.txtValue(), typedName);
            typeInto(w.txtUnitValue(), typedBase);
            w.add();
            QVERIFY(isWarning(MessageBox::takeRecords(), "Property name already exsists"));
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
            typeInto(c.input(), "2");
            QVERIFY(clickEntry(c.from(), typedBase));
            QVERIFY(isWarning(MessageBox::takeRecords(), "Select Unit To"));
            QVERIFY(clickEntry(c.to(), typedBase));
            QCOMPARE(MessageBox::takeRecords().size(), 0);
            QCOMPARE(c.output()->text(), "2");
        }
        // Nothing but the four rows asked for: remove them and the rest is as before.
        m_db->exec("delete from tbProperty where PropID = ?", {ClockId});
        m_db->exec("delete from tbUnits where UID = ?", {ClockId});
        m_db->exec("delete from tbUserProperty");
        m_db->exec("delete from tbUserUnits");
        QCOMPARE(catalogue(), before);
    }

    void unitNames_data() { addHostileRows(); }

    // Unit mode stores the name exactly, refuses it again under the same
    // property, and the converter lists and converts it, also for a borrower.
    void unitNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, storable);
        const QStringList before = catalogue();
        {
            NewValues w;
            w.unitMode();
            QVERIFY(chooseEntry(w.cbProperty(), "Length"));
            QVERIFY(chooseEntry(w.cbUnit(), "Metre"));
            typeInto(w.txtValue(), name);
            typeInto(w.txtUnitValue(), "4");
            const QString typed = w.txtValue()->text();
            w.add();
            if (!storable) {
                QVERIFY(isWarning(MessageBox::takeRecords(), "Invalid Input"));
                QCOMPARE(catalogue(), before);
                return;
            }
            QCOMPARE(MessageBox::takeRecords().size(), 0);
            for (const char* table : {"tbUnits", "tbUserUnits"}) {
                QCOMPARE(column(table, "uname"), QVariantList{typed});
                QCOMPARE(column(table, "factor"), QVariantList{0.25});
                QCOMPARE(column(table, "PropID"), QVariantList{"1015"});
                QCOMPARE(column(table, "df"), QVariantList{"0"});
            }
            QCOMPARE(rowCount("tbUnits"), 5);
            QCOMPARE(rowCount("tbUserUnits"), 1);

            const QStringList added = catalogue();
            QVERIFY(chooseEntry(w.cbProperty(), "Length"));
            QVERIFY(chooseEntry(w.cbUnit(), "Metre"));
            typeInto(w.txtValue(), typed);
            typeInto(w.txtUnitValue(), "4");
            w.add();
            QVERIFY(isWarning(MessageBox::takeRecords(), "Unit already exsists for this Property"));
            QCOMPARE(catalogue(), added);

            for (const char* property : {"Length", "Distance"}) {
                Converter c;
                QVERIFY(chooseEntry(c.combo(), property));
                QCOMPARE(entries(c.from()).count(typed), 1);
                QCOMPARE(entries(c.from()), entries(c.to()));
                typeInto(c.input(), "1");
                QVERIFY(clickEntry(c.from(), typed));
                MessageBox::takeRecords();
                QVERIFY(clickEntry(c.to(), "Metre"));
                QCOMPARE(MessageBox::takeRecords().size(), 0);
                QCOMPARE(c.output()->text(), "4");
            }
        }
        m_db->exec("delete from tbUnits where UID = ?", {ClockId});
        m_db->exec("delete from tbUserUnits");
        QCOMPARE(catalogue(), before);
    }

    void blankNames_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("blank");
        const QList<Hostile> blanks{{"empty", QString()},
                                    {"one blank", " "},
                                    {"blanks", "     "},
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
    void blankNames()
    {
        QFETCH(QString, field);
        QFETCH(QString, blank);
        const QStringList before = catalogue();
        NewValues w;
        if (field == QLatin1String("unit name")) {
            w.unitMode();
            QVERIFY(chooseEntry(w.cbProperty(), "Length"));
            QVERIFY(chooseEntry(w.cbUnit(), "Metre"));
            typeInto(w.txtValue(), blank);
            typeInto(w.txtUnitValue(), "2");
        } else {
            const bool nameIsBlank = field == QLatin1String("property name");
            typeInto(w.txtValue(), nameIsBlank ? blank : "Name");
            typeInto(w.txtUnitValue(), nameIsBlank ? "Base" : blank);
        }
        const QString typedName = w.txtValue()->text();
        const QString typedSecond = w.txtUnitValue()->text();
        w.add();
        const QString expected = field == QLatin1String("base unit") ? "Invalid Base Unit" : "Invalid Input";
        QVERIFY(isWarning(MessageBox::takeRecords(), expected));
        QCOMPARE(w.txtValue()->text(), typedName);
        QCOMPARE(w.txtUnitValue()->text(), typedSecond);
        QCOMPARE(catalogue(), before);
    }

    void typedComboText_data()
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
    void typedComboText()
    {
        QFETCH(QString, where);
        QFETCH(QString, text);
        const QStringList before = catalogue();
        QList<MessageBox::Record> records;
        if (where == QLatin1String("converter property")) {
            Converter c;
            QVERIFY(chooseEntry(c.combo(), "Length"));
            typeInto(c.input(), "1");
            QVERIFY(clickEntry(c.from(), "Metre"));
            typeInto(c.combo()->lineEdit(), text);
            QTest::keyClick(c.combo()->lineEdit(), Qt::Key_Return);
            MessageBox::takeRecords();
            c.output()->setText("previous");
            QVERIFY(clickEntry(c.to(), "Kilometre"));
            records = MessageBox::takeRecords();
            QCOMPARE(records.size(), 1);
            QVERIFY2(isRuntimeError(records.first()), qPrintable(records.first().text));
            QCOMPARE(c.output()->text(), QString());
        } else if (where.startsWith(QLatin1String("new values"))) {
            NewValues w;
            w.unitMode();
            QVERIFY(chooseEntry(w.cbProperty(), "Length"));
            const bool overProperty = where == QLatin1String("new values property");
            if (overProperty)
                QVERIFY(chooseEntry(w.cbUnit(), "Metre"));
            QComboBox* combo = overProperty ? w.cbProperty() : w.cbUnit();
            typeInto(combo->lineEdit(), text);
            QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
            MessageBox::takeRecords();
            typeInto(w.txtValue(), "Furlong");
            typeInto(w.txtUnitValue(), "201.168");
            w.add();
            QVERIFY(isWarning(MessageBox::takeRecords(),
                              overProperty ? "Property Not Selected" : "Base Unit Not Selected"));
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

    void namesInOptions_data() { addHostileRows(); }

    // Rows holding hostile names are listed exactly and move like any other: the
    // flag of the row moved is the only change.
    void namesInOptions()
    {
        QFETCH(QString, name);
        addRows(*m_db, {{"5000", name}}, {{"5001", name, 1.0, "5000"}, {"5002", name, 2.0, "1015"}});
        // The lists show what the catalogue holds, which for text it cannot store
        // exactly is not what was given to it.
        const QString listed = column("tbProperty", "propname", "5000").value(0).toString();
        const QStringList before = catalogue();
        {
            Options o;
            o.press("rbutUnit");
            MessageBox::takeRecords();
            QVERIFY(chooseEntry(o.cbProperty(), listed));
            QCOMPARE(entries(o.lst1()), QStringList{listed});
            QVERIFY(clickEntry(o.lst1(), listed));
            o.press("cmdHideSel");
            QCOMPARE(entries(o.lst2()), QStringList{listed});
            QCOMPARE(column("tbUnits", "df", "5001"), QVariantList{"1"});

            QVERIFY(chooseEntry(o.cbProperty(), "Length"));
            QCOMPARE(entries(o.lst1()).count(listed), 1);

            o.press("rbutProperty");
            QCOMPARE(entries(o.lst1()).count(listed), 1);
            QVERIFY(clickEntry(o.lst1(), listed));
            o.press("cmdHideSel");
            QCOMPARE(entries(o.lst2()), QStringList{listed});
            QCOMPARE(column("tbProperty", "propDF", "5000"), QVariantList{"1"});
            QCOMPARE(MessageBox::takeRecords().size(), 0);
        }
        m_db->exec("update tbUnits set df = '0' where UID = '5001'");
        m_db->exec("update tbProperty set propDF = '0' where PropID = '5000'");
        QCOMPARE(catalogue(), before);
    }

    void converterValues_data()
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

    // The value box: not numeric is "Invalid Input"; numeric beyond the double
    // range is too large to convert; anything else converts, and Swap converts it
    // the other way. Nothing is ever written.
    void converterValues()
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
        QVERIFY(clickEntry(c.from(), temperature ? "Celsius" : "Metre"));
        MessageBox::takeRecords();
        c.output()->setText("previous");
        QVERIFY(clickEntry(c.to(), temperature ? "Fahrenheit" : "Kilometre"));
        const auto shown = [outcome](double expected) {
            return outcome == Result && !std::isfinite(expected) ? ResultTooLarge : outcome;
        };
        const double forward = temperature ? value * 1.8 + 32 : value * 0.001;
        checkConversion(MessageBox::takeRecords(), c.output(), shown(forward), forward);
        if (QTest::currentTestFailed())
            return;

        c.output()->setText("previous");
        c.press("cmdSwap");
        const double reverse = temperature ? (value - 32) / 1.8 : value / 0.001;
        checkConversion(MessageBox::takeRecords(), c.output(), shown(reverse), reverse);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(c.input()->text(), text);
        QCOMPARE(catalogue(), before);
    }

    void factorValues_data()
    {
        addValueColumns();
        for (const ValueCase& c : valueCases())
            QTest::addRow("%s", qPrintable(valueTag(c)))
                << QString::fromLatin1(c.locale) << c.text << int(c.outcome) << c.value;
    }

    // The New Values factor box: a unit is stored only with a factor the
    // converter can use (finite, positive, within single precision and not
    // rounding to zero there); anything else is "Invalid Factor".
    void factorValues()
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
        QVERIFY(chooseEntry(w.cbProperty(), "Length"));
        QVERIFY(chooseEntry(w.cbUnit(), "Metre"));
        typeInto(w.txtValue(), "Hostile factor");
        typeInto(w.txtUnitValue(), text);
        const QStringList before = catalogue();
        w.add();
        const QList<MessageBox::Record> records = MessageBox::takeRecords();
        if (!storable) {
            QVERIFY2(isWarning(records, "Invalid Factor"),
                     qPrintable(records.isEmpty() ? "no message" : records.first().text));
            QCOMPARE(catalogue(), before);
            return;
        }
        QCOMPARE(records.size(), 0);
        for (const char* table : {"tbUnits", "tbUserUnits"})
            QCOMPARE(column(table, "factor"), QVariantList{factor});
        m_db->exec("delete from tbUnits where UID = ?", {ClockId});
        m_db->exec("delete from tbUserUnits");
        QCOMPARE(catalogue(), before);
    }

    void throughTheMainWindow_data() { addHostileRows(); }

    // The whole road in the main window: the converter's "&New Values" button, an
    // added property, the menu back to the converter, the options window hiding
    // it, and the converter no longer offering it.
    void throughTheMainWindow()
    {
        QFETCH(QString, name);
        QFETCH(bool, storable);
        const ShellPage shell;
        QVERIFY(shell.main.loadedChild<frmUnitConv>());
        shell.converter().press("Command3");
        QTRY_VERIFY(!shell.main.loadedChild<frmUnitConv>());
        const NewValuesPage newValues(shell.main.loadedChild<frmNew>());
        QVERIFY(newValues.form);
        typeInto(newValues.txtValue(), name);
        typeInto(newValues.txtUnitValue(), name);
        const QString typed = newValues.txtValue()->text();
        newValues.add();
        if (!storable) {
            QVERIFY(isWarning(MessageBox::takeRecords(), "Invalid Input"));
            QCOMPARE(rowCount("tbProperty"), 3);
            return;
        }
        newValues.press("cmdExit");
        QTRY_VERIFY(!shell.main.loadedChild<frmNew>());

        shell.trigger("mnuUnitConv");
        QVERIFY(shell.main.loadedChild<frmUnitConv>());
        QVERIFY(chooseEntry(shell.converter().combo(), typed));
        QCOMPARE(entries(shell.converter().from()), QStringList{typed});

        shell.converter().press("Command2");
        QTRY_VERIFY(!shell.main.loadedChild<frmUnitConv>());
        const Options options(shell.main.loadedChild<frmOptions>());
        QVERIFY(options.form);
        options.press("rbutProperty");
        QVERIFY(clickEntry(options.lst1(), typed));
        options.press("cmdHideSel");
        QCOMPARE(entries(options.lst2()), QStringList{typed});
        options.press("cmdCancel");
        QTRY_VERIFY(!shell.main.loadedChild<frmOptions>());

        shell.trigger("mnuUnitConv");
        QVERIFY(shell.main.loadedChild<frmUnitConv>());
        QCOMPARE(entries(shell.converter().combo()), (QStringList{"Distance", "Length", "Temperature"}));
        QCOMPARE(MessageBox::takeRecords().size(), 0);
        QCOMPARE(column("tbProperty", "propname"), QVariantList{typed});
        QCOMPARE(column("tbProperty", "propDF"), QVariantList{"1"});
    }
};

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
