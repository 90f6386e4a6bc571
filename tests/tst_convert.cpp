#include "CatalogueRows.h"
#include "DataTable.h"
#include "Pages.h"
#include "Seeds.h"
#include "ShellPage.h"

#include "app/ChmFile.h"
#include "data/RuntimeError.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

const QString Prompt = QStringLiteral("Select a Property");

using SortedLists::ListView;

QList<qint32> data(const ListView* list)
{
    QList<qint32> result;
    for (int row = 0; row < list->count(); ++row)
        result << list->itemData(row);
    return result;
}

QString selectedText(const ListView* list)
{
    const int row = list->selectedRow();
    return row < 0 ? QString() : list->text(row);
}

using TestKit::entries;

// The converter loaded on a catalogue the seeds fill, showing `property` when one is given.
class Converter : public On<TestKit::ConverterPage>
{
public:
    template <typename... Seed> explicit Converter(const QString& property = {}, const Seed&... seeds) : On(seeds...)
    {
        if (!property.isEmpty())
            pick(property);
    }
};

bool isRuntimeError(const MessageBox::Record& record, int number)
{
    return record.style == MsgStyle::Critical && record.title == AppTitle &&
           record.text.startsWith(QStringLiteral("Run-time error '%1':\n\n").arg(number));
}

} // namespace

class TestConvert : public QObject
{
    Q_OBJECT

private slots:
    // The output keeps the old result after the value changes; clicking the
    // unit that is already selected converts the new value.
    void clickOnTheSelectedUnitConverts()
    {
        Converter c("Temperature", Seeds::temperature);
        c.convert(QStringLiteral("50"), QStringLiteral("Fahrenheit"), QStringLiteral("Kelvin"));
        QCOMPARE(c.output()->text(), QStringLiteral("283.15"));
        c.type(QStringLiteral("0"));
        QCOMPARE(c.output()->text(), QStringLiteral("283.15"));
        c.click(c.to(), QStringLiteral("Kelvin"));
        QCOMPARE(c.output()->text(), QStringLiteral("255.372222222222"));
        c.type(QStringLiteral("32"));
        c.click(c.from(), QStringLiteral("Fahrenheit"));
        QCOMPARE(c.output()->text(), QStringLiteral("273.15"));
        QCOMPARE(selectedText(c.from()), QStringLiteral("Fahrenheit"));
        QCOMPARE(selectedText(c.to()), QStringLiteral("Kelvin"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    // Each click converts once: a click that changes the selection, a click on
    // the selected entry, and a double click, which is one choice.
    void everyClickConvertsOnce_data()
    {
        const TestKit::DataTable<bool, bool> row("selectFirst", "doubleClick");
        row("click a new entry", false, false);
        row("click the selected entry", true, false);
        row("double click", false, true);
    }
    void everyClickConvertsOnce()
    {
        QFETCH(bool, selectFirst);
        QFETCH(bool, doubleClick);
        Converter c("Temperature", Seeds::temperature);
        if (selectFirst) {
            c.click(c.from(), QStringLiteral("Kelvin"));
            MessageBox::takeRecords();
        }
        const QPoint where = c.from()->rowRect(c.from()->findRow(QStringLiteral("Kelvin"))).center();
        QTest::mouseClick(c.from()->viewport(), Qt::LeftButton, {}, where);
        if (doubleClick) {
            // The window system's second press of a double click, and its release.
            QTest::mouseDClick(c.from()->viewport(), Qt::LeftButton, {}, where);
            QTest::mouseRelease(c.from()->viewport(), Qt::LeftButton, {}, where);
        }
        const auto boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, QStringLiteral("Invalid Input"));
        QCOMPARE(selectedText(c.from()), QStringLiteral("Kelvin"));
    }

    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        MessageBox::setIntercepting(true);
    }
    void init() { MessageBox::takeRecords(); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void loadListsVisiblePropertiesSorted()
    {
        const auto seed = [](TestDatabase& db) {
            TestKit::addRows(db, {{"3", "gamma"},
                                  {"1", "Alpha"},
                                  {"2", "beta"},
                                  {"4", "Delta", "1"},
                                  {"5", "Epsilon", "2"},
                                  {"6", "Zeta", ""},
                                  {"7", "Eta", " 0"}});
        };
        Converter c({}, seed);
        QComboBox* combo = c.combo();
        QList<qint32> ids;
        for (int i = 0; i < combo->count(); ++i)
            ids << combo->itemData(i).value<qint32>();
        QCOMPARE(entries(combo), QStringList({"Alpha", "beta", "gamma"}));
        QCOMPARE(ids, QList<qint32>({1, 2, 3}));
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->currentText(), Prompt);
        QCOMPARE(c.from()->count() + c.to()->count(), 0);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void unitListsVisibleUnitsSorted()
    {
        const auto seed = [](TestDatabase& db) {
            TestKit::addRows(db, {{"1015", "Length"}, {"1016", "Empty"}},
                             {{"3", "c", 1, "1015"},
                              {"1", "A", 1, "1015"},
                              {"2", "b", 1, "1015"},
                              {"4", "Hidden", 1, "1015", "1"},
                              {"5", "Odd", 1, "1015", "2"},
                              {"6", "Empty", 1, "1015", ""},
                              {"7", "Blank", 1, "1015", " 0"},
                              {"8", "Hidden too", 1, "1016", "1"}});
        };
        Converter c("Length", seed);
        QCOMPARE(c.combo()->currentText(), QString("Length"));
        for (ListView* list : {c.from(), c.to()}) {
            QCOMPARE(entries(list), QStringList({"A", "b", "c"}));
            QCOMPARE(data(list), QList<qint32>({1, 2, 3}));
            QVERIFY(list->selectedRows().isEmpty());
        }
        c.type("1");
        c.click(c.from(), "A");
        MessageBox::takeRecords();
        c.pick("Empty");
        QCOMPARE(c.from()->count() + c.to()->count(), 0);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void unitListFailureKeepsListsAlike()
    {
        const auto seed = [](TestDatabase& db) {
            TestKit::addRows(db, {{"1015", "Length"}}, {{"1", "A", 1, "1015"}, {"x2", "Broken", 1, "1015"}});
        };
        Converter c("Length", seed);
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QString("No unit available for this property. To add new unit for this property go "
                                        "to 'Tools' -> 'New'."));
        QCOMPARE(boxes[0].title, AppTitle);
        QCOMPARE(boxes[0].style, MsgStyle::OkOnly);
        QCOMPARE(entries(c.from()), entries(c.to()));
        QVERIFY(!entries(c.from()).contains("Broken"));
    }

    // Picking the shown property again lists it afresh in both lists: a unit
    // added meanwhile sits at its place in each, neither selection is kept, and
    // nothing converts until each list is clicked again on its own.
    void pickAgainRefillsBothListsWithoutSelection()
    {
        Converter c("Length", Seeds::lengths);
        c.convert("3", "A", "B");
        QCOMPARE(c.output()->text(), QString("6"));
        QVERIFY(MessageBox::takeRecords().isEmpty());

        c.db.addUnit("15", "b", 4, "1015");
        c.pick("Length");
        for (ListView* list : {c.from(), c.to()}) {
            QCOMPARE(entries(list), QStringList({"A", "B", "b", "Big", "Zero"}));
            QCOMPARE(data(list), QList<qint32>({11, 12, 15, 13, 14}));
            QVERIFY(list->selectedRows().isEmpty());
        }
        QCOMPARE(c.output()->text(), QString("6"));
        QVERIFY(MessageBox::takeRecords().isEmpty());

        c.click(c.from(), "b");
        QCOMPARE(selectedText(c.from()), QString("b"));
        QVERIFY(c.to()->selectedRows().isEmpty());
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QString("Select Unit To"));
        c.click(c.to(), "Big");
        QCOMPARE(c.output()->text(), QString("7.5"));
        QCOMPARE(selectedText(c.from()), QString("b"));
    }

    void borrowedPropertyConvertsByItsOwnRule()
    {
        const auto seed = [](TestDatabase& db) {
            TestKit::addRows(db, {{"1040", "Borrower"}, {"1015", "Lender", "1"}},
                             {{"1", "Celsius", 1, "1015"}, {"2", "Fahrenheit", 2, "1015"}, {"3", "Own", 1, "1040"}});
        };
        Converter c("Borrower", seed);
        QCOMPARE(entries(c.to()), QStringList({"Celsius", "Fahrenheit"}));
        c.convert("100", "Celsius", "Fahrenheit");
        QCOMPARE(c.output()->text(), QString("200"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    // The shipped catalogue, converted through the window as a user does.
    void shippedCatalogue_data()
    {
        const TestKit::DataTable<QString, QString, QString, QString, QString, QString> row(
            "locale", "property", "value", "fromUnit", "toUnit", "result");
        row("mile", "C", "Length", "1", "Mile (international)", "Kilometre", "1.609344");
        row("pound", "C", "Mass", "1", "Pound (avoirdupois)", "Gram", "453.5924");
        row("US gallon", "C", "Volume", "1", "Gallon (US liquid)", "Litre", "3.785412");
        row("atmosphere", "C", "Pressure", "1", "Standard atmosphere", "Kilopascal", "101.325");
        row("kilowatt hour", "C", "Energy", "1", "Kilowatt hour", "Megajoule", "3.6");
        // Round numbers stay round.
        row("kilometre", "C", "Length", "1", "Kilometre", "Metre", "1000");
        row("kilowatt", "C", "Power", "1", "Kilowatt", "Watt", "1000");
        row("kilojoule", "C", "Energy", "1", "Kilojoule", "Joule", "1000");
        row("tonne", "C", "Mass", "1", "Tonne (metric ton)", "Kilogram", "1000");
        row("kilopascal", "C", "Pressure", "1", "Kilopascal", "Pascal", "1000");
        row("kilobyte", "C", "Data size", "1", "Kilobyte (1000 bytes)", "Byte", "1000");
        row("short hundredweight", "C", "Mass", "1", "Hundredweight (short)", "Pound (avoirdupois)", "100");
        // The last digit is that of the exact quotient.
        row("psi", "C", "Pressure", "1", "Pound-force per square inch (psi)", "Kilopascal", "6.894757");
        row("ounce", "C", "Mass", "1", "Ounce (avoirdupois)", "Gram", "28.34952");
        row("light year", "C", "Length", "1", "Light year", "Kilometre", "9.46073E+12");
        row("far apart", "C", "Length", "1", "Exametre", "Quectometre", "1E+48");
        // The design's own cases, on shipped units.
        row("a third", "C", "Length", "1", "Foot (international)", "Yard (international)", "0.333333");
        row("four times", "C", "Volume", "2.5", "Gallon (US liquid)", "Quart (US liquid)", "10");
        row("same unit, 7 digits", "C", "Length", "1.23456789", "Metre", "Metre", "1.234568");
        row("same unit, large", "C", "Length", "123456.7", "Metre", "Metre", "123456.7");
        row("same unit, below half a millionth", "C", "Length", "0.0000004", "Metre", "Metre", "0");
        row("98.6 F to C", "C", "Temperature", "98.6", "Fahrenheit", "Celsius", "37");
        row("100 C to F", "C", "Temperature", "100", "Celsius", "Fahrenheit", "212");
        row("0 C to K", "C", "Temperature", "0", "Celsius", "Kelvin", "273.15");
        row("-40 F to C", "C", "Temperature", "-40", "Fahrenheit", "Celsius", "-40");
        row("300 K to C", "C", "Temperature", "300", "Kelvin", "Celsius", "26.85");
        row("F to F keeps blanks", "C", "Temperature", " 98.6 ", "Fahrenheit", "Fahrenheit", " 98.6 ");
        row("K to K trims", "C", "Temperature", " 300 ", "Kelvin", "Kelvin", "300");
        // With a decimal comma.
        row("German psi", "de_DE", "Pressure", "1", "Pound-force per square inch (psi)", "Kilopascal", "6,894757");
        row("German ounce", "de_DE", "Mass", "1", "Ounce (avoirdupois)", "Gram", "28,34952");
        row("German kilometres", "de_DE", "Length", "1,5", "Kilometre", "Metre", "1500");
        row("German light year", "de_DE", "Length", "1", "Light year", "Kilometre", "9,46073E+12");
        row("German third", "de_DE", "Length", "1", "Foot (international)", "Yard (international)", "0,333333");
        row("German 98,6 F to C", "de_DE", "Temperature", "98,6", "Fahrenheit", "Celsius", "37");
        row("German 300 K to C", "de_DE", "Temperature", "300", "Kelvin", "Celsius", "26,85");
    }

    void shippedCatalogue()
    {
        QFETCH(QString, locale);
        QFETCH(QString, property);
        QFETCH(QString, value);
        QFETCH(QString, fromUnit);
        QFETCH(QString, toUnit);
        QFETCH(QString, result);
        QLocale::setDefault(QLocale(locale));
        Converter c(property, Seeds::shipped);
        c.convert(value, fromUnit, toUnit);
        QCOMPARE(c.output()->text(), result);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void shippedCatalogueSwap()
    {
        Converter c("Temperature", Seeds::shipped);
        c.convert("100", "Celsius", "Fahrenheit");
        QCOMPARE(c.output()->text(), QString("212"));
        c.press("cmdSwap");
        QCOMPARE(c.output()->text(), QString("37.7777777777778"));
        QCOMPARE(c.input()->text(), QString("100"));
        c.pick("Length");
        c.convert("1", "Kilometre", "Metre");
        c.press("cmdSwap");
        QCOMPARE(c.output()->text(), QString("0.001"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void temperatureAndSwap()
    {
        Converter c("Temperature", Seeds::temperature);
        c.convert("100", "Celsius", "Fahrenheit");
        QCOMPARE(c.output()->text(), QString("212"));
        c.press("cmdSwap");
        QCOMPARE(c.output()->text(), QString("37.7777777777778"));
        QCOMPARE(selectedText(c.from()), QString("Fahrenheit"));
        QCOMPARE(selectedText(c.to()), QString("Celsius"));
        QCOMPARE(c.input()->text(), QString("100"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void temperatureOtherNameGivesNothing_data()
    {
        const TestKit::DataTable<QString> row("unit");
        row("lower case", "celsius");
        row("other name", "Centigrade");
    }

    void temperatureOtherNameGivesNothing()
    {
        QFETCH(QString, unit);
        Converter c("Temperature", Seeds::temperature);
        c.convert("100", "Celsius", "Kelvin");
        c.click(c.to(), unit);
        QCOMPARE(c.output()->text(), QString("373.15"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void warnings_data()
    {
        const TestKit::DataTable<QString, QStringList, QString> row("value", "steps", "message");
        row("empty value", "", QStringList{"from"}, "Invalid Input");
        row("blanks only", "   ", QStringList{"to"}, "Invalid Input");
        row("not numeric", "1,5", QStringList{"from"}, "Invalid Input");
        row("no target unit", "1", QStringList{"from"}, "Select Unit To");
        row("no source unit", "1", QStringList{"to"}, "Select Unit From");
        row("swap, not numeric", "x", QStringList{"swap"}, "Invalid Input");
        row("swap, no units", "1", QStringList{"swap"}, "Select Unit From");
        row("swap, no target unit", "1", QStringList{"from", "swap"}, "Select Unit To");
    }

    void warnings()
    {
        QFETCH(QString, value);
        QFETCH(QStringList, steps);
        QFETCH(QString, message);
        Converter c("Length", Seeds::lengths);
        c.output()->setText("previous");
        c.type(value);
        for (const QString& step : steps) {
            MessageBox::takeRecords();
            if (step == "swap")
                c.press("cmdSwap");
            else
                c.click(step == "from" ? c.from() : c.to(), "B");
        }
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, message);
        QCOMPARE(boxes[0].title, BoxTitle);
        QCOMPARE(boxes[0].style, MsgStyle::Exclamation);
        QCOMPARE(c.output()->text(), QString("previous"));
    }

    void editingValueKeepsOldResult()
    {
        Converter c("Temperature", Seeds::temperature);
        c.convert("100", "Celsius", "Fahrenheit");
        c.type("0");
        QCOMPARE(c.output()->text(), QString("212"));
        c.click(c.to(), "Kelvin");
        QCOMPARE(c.output()->text(), QString("273.15"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void clear()
    {
        Converter c("Length", Seeds::lengths);
        c.convert("3", "A", "B");
        QCOMPARE(c.output()->text(), QString("6"));
        c.press("cmdClear");
        QCOMPARE(c.from()->count() + c.to()->count(), 0);
        QCOMPARE(c.input()->text(), QString());
        QCOMPARE(c.output()->text(), QString());
        QCOMPARE(c.combo()->currentText(), Prompt);
        QCOMPARE(c.combo()->currentIndex(), -1);
        QCOMPARE(c.combo()->count(), 1);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void germanLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Converter c("Length", Seeds::lengths, Seeds::temperature);
        c.convert("1,5", "B", "A");
        QCOMPARE(c.output()->text(), QString("0,75"));
        c.pick("Temperature");
        c.convert("98,6", "Fahrenheit", "Celsius");
        QCOMPARE(c.output()->text(), QString("37"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    // A conversion that gives no number says why and leaves the output empty,
    // never the result of the units chosen before.
    void unconvertible_data()
    {
        const TestKit::DataTable<QString, QString, QString, QString, QString> row("property", "value", "fromUnit",
                                                                                  "toUnit", "message");
        // A factor is described with its unit, its stored value and what to do.
        const QString factor = QStringLiteral("The factor of the unit \"%1\" in the catalogue ");
        row("zero source factor", "Length", "1", "Zero", "A", factor.arg("Zero"));
        row("zero target factor", "Length", "1", "A", "Zero", factor.arg("Zero"));
        row("empty factor", "Length", "1", "Empty", "B", factor.arg("Empty"));
        row("text factor", "Length", "1", "B", "Text", factor.arg("Text"));
        row("negative factor", "Length", "1", "Negative", "B", factor.arg("Negative"));
        row("value beyond double", "Length", "1E400", "A", "B", "The value is too large to convert.");
        row("result beyond double", "Length", "1E308", "A", "Big", "The result is too large to show.");
        row("temperature beyond double", "Temperature", "-1e400", "Fahrenheit", "Celsius",
            "The value is too large to convert.");
        row("temperature result beyond double", "Temperature", "1.7E308", "Celsius", "Fahrenheit",
            "The result is too large to show.");
    }

    void unconvertible()
    {
        QFETCH(QString, property);
        QFETCH(QString, value);
        QFETCH(QString, fromUnit);
        QFETCH(QString, toUnit);
        QFETCH(QString, message);
        const auto badFactors = [](TestDatabase& db) {
            TestKit::addRows(db, {},
                             {{"15", "Empty", QVariant(QMetaType(QMetaType::Double)), "1015"},
                              {"16", "Text", QStringLiteral("lots"), "1015"},
                              {"17", "Negative", -1, "1015"}});
        };
        Converter c(property, Seeds::lengths, Seeds::temperature, badFactors);
        c.convert("1", property == "Length" ? "B" : "Celsius", property == "Length" ? "A" : "Kelvin");
        QVERIFY(!c.output()->text().isEmpty());
        MessageBox::takeRecords();
        c.type(value);
        c.click(c.from(), fromUnit);
        c.click(c.to(), toUnit);
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QVERIFY(!boxes.isEmpty());
        for (const MessageBox::Record& box : boxes) {
            QVERIFY2(box.text.startsWith(message), qPrintable(box.text));
            QVERIFY(!message.startsWith("The factor") ||
                    box.text.endsWith("Choose another unit, or hide this one under Tools > Options."));
            QCOMPARE(box.title, BoxTitle);
            QCOMPARE(box.style, MsgStyle::Exclamation);
        }
        QCOMPARE(c.output()->text(), QString());
        // The next good conversion shows again.
        c.type("1");
        c.click(c.from(), property == "Length" ? "B" : "Celsius");
        c.click(c.to(), property == "Length" ? "A" : "Kelvin");
        QCOMPARE(c.output()->text(), property == "Length" ? QString("0.5") : QString("274.15"));
    }

    void untrappedErrors_data()
    {
        const TestKit::DataTable<QString, int, QString> row("fault", "error", "says");
        row("edited property text", "edit property", 381,
            "The property box shows \"Lengths\", which is no property of its list, so Quantaro does not know "
            "what to convert. Pick a property from the list, then select the units again.");
        row("vanished unit", "delete Big", int(ErrorNumber::NoCurrentRecord),
            "The unit with UID 13 is no longer in the catalogue. Pick the property "
            "again to list its units as they are now.");
    }

    void untrappedErrors()
    {
        QFETCH(QString, fault);
        QFETCH(int, error);
        QFETCH(QString, says);
        Converter c("Length", Seeds::lengths);
        c.convert("1", "A", "B");
        QCOMPARE(c.output()->text(), QString("2"));
        if (fault == "edit property")
            QTest::keyClicks(c.combo()->lineEdit(), "s");
        else
            c.db.exec("delete from tbUnits where uname = 'Big'");
        c.click(c.to(), "Big");
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(isRuntimeError(boxes[0], error), qPrintable(boxes[0].text));
        QCOMPARE(boxes[0].text.section(QStringLiteral("\n\n"), 1), says);
        QCOMPARE(c.output()->text(), QString());
    }

    void swapRunsEveryConversion()
    {
        Converter c("Length", Seeds::lengths);
        c.convert("1", "A", "B");
        c.click(c.to(), "Zero");
        QCOMPARE(MessageBox::takeRecords().size(), 1);
        QCOMPARE(c.output()->text(), QString());
        c.press("cmdSwap");
        // The target selection converts A to A; selecting Zero as source and
        // the final conversion each meet its factor.
        QCOMPARE(c.output()->text(), QString());
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 2);
        for (const MessageBox::Record& box : boxes)
            QVERIFY2(box.text.startsWith("The factor of the unit \"Zero\""), qPrintable(box.text));
        QCOMPARE(selectedText(c.from()), QString("Zero"));
        QCOMPARE(selectedText(c.to()), QString("A"));
    }

    void realWarningDuringSelection()
    {
        Converter c("Length", Seeds::lengths);
        MessageBox::setIntercepting(false);
        QStringList shown;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown << box->windowTitle();
                box->accept();
            }
        });
        closer.start(0);
        c.click(c.from(), "B");
        QTest::mouseMove(c.from()->viewport(), c.from()->rowRect(0).center());
        QCoreApplication::processEvents();
        closer.stop();
        MessageBox::setIntercepting(true);
        QCOMPARE(shown, QStringList{BoxTitle});
        QCOMPARE(selectedText(c.from()), QString("B"));
        QVERIFY(c.to()->selectedRows().isEmpty());
    }

    void hostedInMainWindow_data()
    {
        const TestKit::DataTable<QString> row("button");
        row("Done", "cmdCancel");
        row("Options", "Command2");
        row("New Values", "Command3");
    }

    void hostedInMainWindow()
    {
        QFETCH(QString, button);
        SeededDatabase catalogue(Seeds::lengths);
        MDIMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* form = main.loadedChild<frmUnitConv>();
        QVERIFY(form);
        QMdiSubWindow* frame = form->subWindow();
        QCOMPARE(frame->windowTitle(), QString("Quantaro - Veltrin Technologies"));
        QCOMPARE(form->size(), QSize(796, 459));
        // Every activation puts the window back at the top left corner.
        frame->move(120, 80);
        main.mdiArea()->setActiveSubWindow(nullptr);
        main.mdiArea()->setActiveSubWindow(frame);
        QCOMPARE(frame->pos(), QPoint(0, 0));

        // Unloaded by its button, and loaded afresh with what was added meanwhile.
        QTest::mouseClick(form->findChild<QPushButton*>(button), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!main.loadedChild<frmUnitConv>());
        catalogue.db.addProperty("2000", "Added");
        main.mnuUnitConv_Click();
        form = main.loadedChild<frmUnitConv>();
        QVERIFY(form);
        QCOMPARE(form->findChild<QComboBox*>("cbProperty")->findText("Added"), 0);
    }

    void helpFailure()
    {
        SeededDatabase catalogue;
        // Help is opened by the main window, which the converter asks.
        const TestKit::ShellPage shell;
        const TestKit::ConverterPage c = shell.converter();
        QVERIFY(c.form);
        const QString library = ChmFile::libraryName();
        ChmFile::setLibraryName("quantaro-no-such-chmlib");
        c.press("cmdHelp_0");
        ChmFile::setLibraryName(library);
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QString("There Was An Error Opening the Help File."));
        QVERIFY2(boxes[0].detail.contains("libchm1"), qPrintable(boxes[0].detail));
        QCOMPARE(boxes[0].style, MsgStyle::Critical);
    }

    void layout()
    {
        Converter c;
        frmUnitConv* form = c.form;
        QCOMPARE(form->windowTitle(), QString("Quantaro - Veltrin Technologies"));
        QCOMPARE(form->size(), QSize(796, 459));
        QCOMPARE(c.combo()->geometry(), QRect(76, 14, 275, 21));
        QCOMPARE(c.output()->parentWidget(), c.get<QGroupBox>("Frame1"));
        QCOMPARE(c.output()->geometry(), QRect(6, 18, 335, 25));
        QCOMPARE(c.to()->geometry(), QRect(442, 94, 349, 303));
        auto* help = c.get<QPushButton>("cmdHelp_0");
        QCOMPARE(help->geometry(), QRect(372, 331, 55, 49));
        QVERIFY(help->text().isEmpty());
        QVERIFY(!help->icon().isNull());
        QCOMPARE(help->accessibleName(), QString("Help"));
        auto* swap = c.get<QPushButton>("cmdSwap");
        QCOMPARE(swap->text(), QString("&Swap"));
        QVERIFY(!swap->icon().isNull());

        const QList<QPair<const char*, QWidget*>> buddies = {
            {"lbloutput_0", c.from()}, {"lbloutput_1", c.to()}, {"lbloutput_2", c.combo()}, {"lbloutput_3", c.input()}};
        for (const auto& [label, buddy] : buddies) {
            QCOMPARE(c.get<QLabel>(label)->buddy(), buddy);
            QCOMPARE(c.get<QLabel>(label)->font().family(), QString("Trebuchet MS"));
            QVERIFY(c.get<QLabel>(label)->font().bold());
        }
        QCOMPARE(c.input()->font().family(), QString("Arial"));
        QCOMPARE(c.output()->font().pointSizeF(), 11.25);
        QCOMPARE(swap->font().family(), QString("Tahoma"));
        QCOMPARE(c.get<QGroupBox>("Frame1")->font().pointSizeF(), 8.25);

        const QStringList chain = {"cbProperty", "txtInput",  "lstUnitFrm", "lstUnitTo", "cmdSwap",  "cmdClear",
                                   "cmdCancel",  "cmdHelp_0", "txtOutput",  "Command2",  "Command3", "cbProperty"};
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        c.combo()->setFocus();
        for (int i = 1; i < chain.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focused = QApplication::focusWidget();
            while (focused && focused->objectName().isEmpty())
                focused = focused->parentWidget();
            QVERIFY(focused);
            QCOMPARE(focused->objectName(), chain[i]);
        }
    }

    // Typing a name in a unit list selects the unit it names and converts
    // once typing pauses: one warning at most, and none before the pause.
    void typeAheadConvertsOncePaused_data()
    {
        const TestKit::DataTable<bool, QString, QString, QString> row("inSource", "keys", "unit", "message");
        row("source, name", true, "Foot", "Foot", "Select Unit To");
        row("target, name", false, "Foot", "Foot", "Select Unit From");
        row("source, arrows", true, "", "Inch", "Select Unit To");
    }
    void typeAheadConvertsOncePaused()
    {
        QFETCH(bool, inSource);
        QFETCH(QString, keys);
        QFETCH(QString, unit);
        QFETCH(QString, message);
        Converter c("Length", Seeds::feet);
        c.type(QStringLiteral("1"));
        ListView* list = inSource ? c.from() : c.to();
        list->setFocus();
        if (keys.isEmpty()) {
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Down);
        } else {
            QTest::keyClicks(list, keys);
        }
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QCOMPARE(selectedText(list), unit);
        QTest::qWait(QApplication::keyboardInputInterval() + 100);
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, message);
        QCOMPARE(selectedText(list), unit);
    }

    // With both units chosen by typing, the conversion runs after the pause;
    // a click meanwhile converts at once and drops the waiting one.
    void typedUnitsConvert()
    {
        Converter c("Length", Seeds::feet);
        c.type(QStringLiteral("2"));
        c.to()->setFocus();
        QTest::keyClicks(c.to(), QStringLiteral("Inch"));
        QTest::qWait(QApplication::keyboardInputInterval() + 100);
        QCOMPARE(MessageBox::takeRecords().size(), 1);
        c.from()->setFocus();
        QTest::keyClicks(c.from(), QStringLiteral("Foot"));
        QCOMPARE(c.output()->text(), QString());
        QTRY_COMPARE(c.output()->text(), QStringLiteral("24"));
        QVERIFY(MessageBox::takeRecords().isEmpty());

        c.type(QStringLiteral("1"));
        QTest::keyClick(c.from(), Qt::Key_Up);
        c.click(c.from(), QStringLiteral("Foot"));
        QCOMPARE(c.output()->text(), QStringLiteral("12"));
        c.output()->clear();
        QTest::qWait(QApplication::keyboardInputInterval() + 100);
        QCOMPARE(c.output()->text(), QString());
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    // A unit typed a moment before the property changes or Clear is pressed
    // converts nothing once typing pauses: its lists are gone.
    void typedUnitForgottenByPropertyOrClear_data()
    {
        const TestKit::DataTable<bool> row("clear");
        row("property chosen again", false);
        row("Clear", true);
    }
    void typedUnitForgottenByPropertyOrClear()
    {
        QFETCH(bool, clear);
        Converter c("Length", Seeds::feet);
        c.type(QStringLiteral("1"));
        c.from()->setFocus();
        QTest::keyClicks(c.from(), QStringLiteral("Foot"));
        QCOMPARE(selectedText(c.from()), QStringLiteral("Foot"));
        if (clear)
            c.press("cmdClear");
        else
            c.pick(QStringLiteral("Length"));
        QTest::qWait(QApplication::keyboardInputInterval() + 100);
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.value(0).text));
        QCOMPARE(c.output()->text(), QString());
    }

    // F1 presses the help button and Escape "&Done", from whichever control has the focus.
    void helpAndEscapeKeys_data()
    {
        const TestKit::DataTable<QString, int, QString> row("focused", "key", "button");
        row("F1 in the value", "txtInput", int(Qt::Key_F1), "cmdHelp_0");
        row("F1 in a unit list", "lstUnitTo", int(Qt::Key_F1), "cmdHelp_0");
        row("Escape in the value", "txtInput", int(Qt::Key_Escape), "cmdCancel");
        row("Escape in a unit list", "lstUnitFrm", int(Qt::Key_Escape), "cmdCancel");
        row("Escape on a button", "cmdSwap", int(Qt::Key_Escape), "cmdCancel");
    }
    void helpAndEscapeKeys()
    {
        QFETCH(QString, focused);
        QFETCH(int, key);
        QFETCH(QString, button);
        Converter c;
        QWidget* control = c.get<QWidget>(qPrintable(focused));
        control->setFocus();
        QSignalSpy clicked(c.get<QPushButton>(qPrintable(button)), &QPushButton::clicked);
        // Stop the click from running its handler (help or unloading): the press is what is checked.
        c.get<QPushButton>(qPrintable(button))->disconnect(c.form);
        QTest::keyClick(control, Qt::Key(key));
        QVERIFY(clicked.wait());
        QCOMPARE(clicked.size(), 1);
    }

    void accessKeys_data()
    {
        const TestKit::DataTable<int, QString> row("key", "button");
        row("Alt+S", int(Qt::Key_S), "cmdSwap");
        row("Alt+R", int(Qt::Key_R), "cmdClear");
        row("Alt+N", int(Qt::Key_N), "Command3");
        row("Alt+O", int(Qt::Key_O), "Command2");
        row("Alt+D", int(Qt::Key_D), "cmdCancel");
    }

    void accessKeys()
    {
        QFETCH(int, key);
        QFETCH(QString, button);
        Converter c;
        c.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(c.form));
        c.input()->setFocus();
        QSignalSpy clicked(c.get<QPushButton>(qPrintable(button)), &QPushButton::clicked);
        QTest::keyClick(c.input(), Qt::Key(key), Qt::AltModifier);
        // A shortcut presses the button visibly and clicks it a moment later.
        QVERIFY(clicked.wait());
    }
};

QTEST_MAIN(TestConvert)
#include "tst_convert.moc"
