#include "TestDatabase.h"

#include "app/ChmFile.h"
#include "app/MDIMain.h"
#include "app/MessageBox.h"
#include "app/SortedLists.h"
#include "convert/frmUnitConv.h"
#include "data/RuntimeError.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

const QString Prompt = QStringLiteral("Select a Property");

using SortedLists::ListView;

QStringList texts(const ListView* list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->text(row);
    return result;
}

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

// The converter, loaded on a fresh catalogue and shown, driven through its widgets.
class Converter
{
public:
    Converter() : form(new frmUnitConv)
    {
        form->Form_Load();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("the converter is not shown");
    }
    ~Converter() { delete form.get(); }

    template <typename T> T* get(const char* name) const
    {
        T* widget = form->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QComboBox* combo() const { return get<QComboBox>("cbProperty"); }
    QLineEdit* input() const { return get<QLineEdit>("txtInput"); }
    QLineEdit* output() const { return get<QLineEdit>("txtOutput"); }
    ListView* from() const { return get<ListView>("lstUnitFrm"); }
    ListView* to() const { return get<ListView>("lstUnitTo"); }

    // Picks a property as a user does: opens the drop-down and clicks the entry.
    void pick(const QString& property) const
    {
        QComboBox* box = combo();
        box->showPopup();
        QAbstractItemView* view = box->view();
        const QModelIndex index = view->model()->index(box->findText(property), 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
    void click(ListView* list, const QString& unit) const
    {
        const int row = list->findRow(unit);
        if (row < 0)
            qFatal("no unit %s", qPrintable(unit));
        list->scrollTo(list->modelIndex(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->rowRect(row).center());
    }
    void press(const char* button) const { QTest::mouseClick(get<QPushButton>(button), Qt::LeftButton); }
    void type(const QString& value) const
    {
        input()->clear();
        QTest::keyClicks(input(), value);
    }
    void convert(const QString& value, const QString& fromUnit, const QString& toUnit) const
    {
        type(value);
        click(from(), fromUnit);
        // With no target unit yet, the source click is answered "Select Unit To".
        if (to()->selectedRows().isEmpty())
            MessageBox::takeRecords();
        click(to(), toUnit);
    }

    QPointer<frmUnitConv> form;
};

void addTemperature(TestDatabase& db)
{
    db.addProperty("92", "Temperature");
    db.addUnit("921", "Celsius", 1, "92");
    db.addUnit("922", "Fahrenheit", 1, "92");
    db.addUnit("923", "Kelvin", 1, "92");
    db.addUnit("924", "celsius", 1, "92");
    db.addUnit("925", "Centigrade", 1, "92");
}

void addLength(TestDatabase& db)
{
    db.addProperty("1015", "Length");
    db.addUnit("11", "A", 1, "1015");
    db.addUnit("12", "B", 2, "1015");
    db.addUnit("13", "Big", 10, "1015");
    db.addUnit("14", "Zero", 0, "1015");
}

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
        TestDatabase db;
        addTemperature(db);
        db.openShared();
        Converter c;
        c.pick(QStringLiteral("Temperature"));
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
        QTest::addColumn<bool>("selectFirst");
        QTest::addColumn<bool>("doubleClick");
        QTest::newRow("click a new entry") << false << false;
        QTest::newRow("click the selected entry") << true << false;
        QTest::newRow("double click") << false << true;
    }
    void everyClickConvertsOnce()
    {
        QFETCH(bool, selectFirst);
        QFETCH(bool, doubleClick);
        TestDatabase db;
        addTemperature(db);
        db.openShared();
        Converter c;
        c.pick(QStringLiteral("Temperature"));
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
        TestDatabase db;
        db.addProperty("3", "gamma");
        db.addProperty("1", "Alpha");
        db.addProperty("2", "beta");
        db.addProperty("4", "Delta", "1");
        db.addProperty("5", "Epsilon", "2");
        db.addProperty("6", "Zeta", "");
        db.addProperty("7", "Eta", " 0");
        db.openShared();
        Converter c;
        QComboBox* combo = c.combo();
        QStringList names;
        QList<qint32> ids;
        for (int i = 0; i < combo->count(); ++i) {
            names << combo->itemText(i);
            ids << combo->itemData(i).value<qint32>();
        }
        QCOMPARE(names, QStringList({"Alpha", "beta", "gamma"}));
        QCOMPARE(ids, QList<qint32>({1, 2, 3}));
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->currentText(), Prompt);
        QCOMPARE(c.from()->count() + c.to()->count(), 0);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void unitListsVisibleUnitsSorted()
    {
        TestDatabase db;
        db.addProperty("1015", "Length");
        db.addProperty("1016", "Empty");
        db.addUnit("3", "c", 1, "1015");
        db.addUnit("1", "A", 1, "1015");
        db.addUnit("2", "b", 1, "1015");
        db.addUnit("4", "Hidden", 1, "1015", "1");
        db.addUnit("5", "Odd", 1, "1015", "2");
        db.addUnit("6", "Empty", 1, "1015", "");
        db.addUnit("7", "Blank", 1, "1015", " 0");
        db.addUnit("8", "Hidden too", 1, "1016", "1");
        db.openShared();
        Converter c;
        c.pick("Length");
        QCOMPARE(c.combo()->currentText(), QString("Length"));
        for (ListView* list : {c.from(), c.to()}) {
            QCOMPARE(texts(list), QStringList({"A", "b", "c"}));
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
        TestDatabase db;
        db.addProperty("1015", "Length");
        db.addUnit("1", "A", 1, "1015");
        db.addUnit("x2", "Broken", 1, "1015");
        db.openShared();
        Converter c;
        c.pick("Length");
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QString("No unit available for this property. To add new unit for this property go "
                                        "to 'Tools' -> 'New'."));
        QCOMPARE(boxes[0].title, AppTitle);
        QCOMPARE(boxes[0].style, MsgStyle::OkOnly);
        QCOMPARE(texts(c.from()), texts(c.to()));
        QVERIFY(!texts(c.from()).contains("Broken"));
    }

    // Picking the shown property again lists it afresh in both lists: a unit
    // added meanwhile sits at its place in each, neither selection is kept, and
    // nothing converts until each list is clicked again on its own.
    void pickAgainRefillsBothListsWithoutSelection()
    {
        TestDatabase db;
        addLength(db);
        db.openShared();
        Converter c;
        c.pick("Length");
        c.convert("3", "A", "B");
        QCOMPARE(c.output()->text(), QString("6"));
        QVERIFY(MessageBox::takeRecords().isEmpty());

        db.addUnit("15", "b", 4, "1015");
        c.pick("Length");
        for (ListView* list : {c.from(), c.to()}) {
            QCOMPARE(texts(list), QStringList({"A", "B", "b", "Big", "Zero"}));
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
        TestDatabase db;
        db.addProperty("1040", "Borrower");
        db.addProperty("1015", "Lender", "1");
        db.addUnit("1", "Celsius", 1, "1015");
        db.addUnit("2", "Fahrenheit", 2, "1015");
        db.addUnit("3", "Own", 1, "1040");
        db.openShared();
        Converter c;
        c.pick("Borrower");
        QCOMPARE(texts(c.to()), QStringList({"Celsius", "Fahrenheit"}));
        c.convert("100", "Celsius", "Fahrenheit");
        QCOMPARE(c.output()->text(), QString("200"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    // The shipped catalogue, converted through the window as a user does.
    void shippedCatalogue_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("fromUnit");
        QTest::addColumn<QString>("toUnit");
        QTest::addColumn<QString>("result");
        QTest::newRow("mile") << "Length"
                              << "Mile (international)"
                              << "Kilometre"
                              << "1.609344";
        QTest::newRow("pound") << "Mass"
                               << "Pound (avoirdupois)"
                               << "Gram"
                               << "453.5924";
        QTest::newRow("US gallon") << "Volume"
                                   << "Gallon (US liquid)"
                                   << "Litre"
                                   << "3.785412";
        QTest::newRow("atmosphere") << "Pressure"
                                    << "Standard atmosphere"
                                    << "Kilopascal"
                                    << "101.325";
        QTest::newRow("kilowatt hour") << "Energy"
                                       << "Kilowatt hour"
                                       << "Megajoule"
                                       << "3.6";
    }

    void shippedCatalogue()
    {
        QFETCH(QString, property);
        QFETCH(QString, fromUnit);
        QFETCH(QString, toUnit);
        QFETCH(QString, result);
        TestDatabase db;
        db.useShippedCatalogue();
        db.openShared();
        Converter c;
        c.pick(property);
        c.convert("1", fromUnit, toUnit);
        QCOMPARE(c.output()->text(), result);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void temperatureAndSwap()
    {
        TestDatabase db;
        addTemperature(db);
        db.openShared();
        Converter c;
        c.pick("Temperature");
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
        QTest::addColumn<QString>("unit");
        QTest::newRow("lower case") << "celsius";
        QTest::newRow("other name") << "Centigrade";
    }

    void temperatureOtherNameGivesNothing()
    {
        QFETCH(QString, unit);
        TestDatabase db;
        addTemperature(db);
        db.openShared();
        Converter c;
        c.pick("Temperature");
        c.convert("100", "Celsius", "Kelvin");
        c.click(c.to(), unit);
        QCOMPARE(c.output()->text(), QString("373.15"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void warnings_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty value") << "" << QStringList{"from"} << "Invalid Input";
        QTest::newRow("blanks only") << "   " << QStringList{"to"} << "Invalid Input";
        QTest::newRow("not numeric") << "1,5" << QStringList{"from"} << "Invalid Input";
        QTest::newRow("no target unit") << "1" << QStringList{"from"} << "Select Unit To";
        QTest::newRow("no source unit") << "1" << QStringList{"to"} << "Select Unit From";
        QTest::newRow("swap, not numeric") << "x" << QStringList{"swap"} << "Invalid Input";
        QTest::newRow("swap, no units") << "1" << QStringList{"swap"} << "Select Unit From";
        QTest::newRow("swap, no target unit") << "1" << QStringList{"from", "swap"} << "Select Unit To";
    }

    void warnings()
    {
        QFETCH(QString, value);
        QFETCH(QStringList, steps);
        QFETCH(QString, message);
        TestDatabase db;
        addLength(db);
        db.openShared();
        Converter c;
        c.pick("Length");
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
        TestDatabase db;
        addTemperature(db);
        db.openShared();
        Converter c;
        c.pick("Temperature");
        c.convert("100", "Celsius", "Fahrenheit");
        c.type("0");
        QCOMPARE(c.output()->text(), QString("212"));
        c.click(c.to(), "Kelvin");
        QCOMPARE(c.output()->text(), QString("273.15"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void clear()
    {
        TestDatabase db;
        addLength(db);
        db.openShared();
        Converter c;
        c.pick("Length");
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
        TestDatabase db;
        addLength(db);
        addTemperature(db);
        db.openShared();
        Converter c;
        c.pick("Length");
        c.convert("1,5", "B", "A");
        QCOMPARE(c.output()->text(), QString("0,75"));
        c.pick("Temperature");
        c.convert("98,6", "Fahrenheit", "Celsius");
        QCOMPARE(c.output()->text(), QString("36,9999991522895"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    // An error no check foresees keeps its number, and its description says
    // what the user did, or which unit and field of the catalogue is wrong,
    // and what to do.
    void untrappedErrors_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("sourceList");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("says");
        const QString otherUnit = QStringLiteral(" Choose another unit, or hide this one under Tools > Options.");
        QTest::newRow("edited property text")
            << "edit property" << false << "Big" << 381
            << "The property box shows \"Lengths\", which is no property of its list, so Quantaro does not know "
               "what to convert. Pick a property from the list, then select the units again.";
        QTest::newRow("zero source factor")
            << "" << true << "Zero" << int(ErrorNumber::DivisionByZero)
            << "The factor of the unit \"Zero\" in the catalogue is 0. Nothing can be converted from it." + otherUnit;
        QTest::newRow("empty factor") << "factor null" << false << "Big" << int(ErrorNumber::InvalidUseOfNull)
                                      << "The factor of the unit \"Big\" in the catalogue is empty." + otherUnit;
        QTest::newRow("factor not a number")
            << "factor 'ten'" << false << "Big" << int(ErrorNumber::TypeMismatch)
            << "The factor of the unit \"Big\" in the catalogue holds \"ten\", which is not a number." + otherUnit;
        QTest::newRow("vanished unit") << "delete Big" << false << "Big" << int(ErrorNumber::NoCurrentRecord)
                                       << "The unit with UID 13 is no longer in the catalogue. Pick the property "
                                          "again to list its units as they are now.";
        QTest::newRow("value beyond single") << "value 1E39" << false << "Big" << int(ErrorNumber::Overflow)
                                             << "The value \"1E39\" is too large: Quantaro converts numbers up to "
                                                "about 3.4E+38. Type a smaller value, then select a unit again.";
        QTest::newRow("result beyond single")
            << "value 3E38" << false << "Big" << int(ErrorNumber::Overflow)
            << "The result of converting 3E+38 from \"A\" to \"Big\" is too large to show: Quantaro converts "
               "numbers up to about 3.4E+38. Convert a smaller value, or to a larger unit.";
    }

    void untrappedErrors()
    {
        QFETCH(QString, fault);
        QFETCH(bool, sourceList);
        QFETCH(QString, unit);
        QFETCH(int, error);
        QFETCH(QString, says);
        TestDatabase db;
        addLength(db);
        db.openShared();
        Converter c;
        c.pick("Length");
        c.convert("1", "A", "B");
        QCOMPARE(c.output()->text(), QString("2"));
        if (fault == "edit property")
            QTest::keyClicks(c.combo()->lineEdit(), "s");
        else if (fault == "delete Big")
            db.exec("delete from tbUnits where uname = 'Big'");
        else if (fault.startsWith("factor "))
            db.exec("update tbUnits set factor = " + fault.mid(7) + " where uname = 'Big'");
        else if (fault.startsWith("value "))
            c.type(fault.mid(6));
        c.click(sourceList ? c.from() : c.to(), unit);
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(isRuntimeError(boxes[0], error), qPrintable(boxes[0].text));
        QCOMPARE(boxes[0].text.section(QStringLiteral("\n\n"), 1), says);
        QCOMPARE(c.output()->text(), QString("2"));
    }

    void swapRunsEveryConversion()
    {
        TestDatabase db;
        addLength(db);
        db.openShared();
        Converter c;
        c.pick("Length");
        c.convert("1", "A", "Zero");
        QCOMPARE(c.output()->text(), QString("0"));
        c.press("cmdSwap");
        // The target selection converts A to A; selecting Zero as source and
        // the final conversion each divide by its factor.
        QCOMPARE(c.output()->text(), QString("1"));
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 2);
        for (const MessageBox::Record& box : boxes)
            QVERIFY2(isRuntimeError(box, ErrorNumber::DivisionByZero), qPrintable(box.text));
        QCOMPARE(selectedText(c.from()), QString("Zero"));
        QCOMPARE(selectedText(c.to()), QString("A"));
    }

    void realWarningDuringSelection()
    {
        TestDatabase db;
        addLength(db);
        db.openShared();
        Converter c;
        c.pick("Length");
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
        QTest::addColumn<QString>("button");
        QTest::newRow("Done") << "cmdCancel";
        QTest::newRow("Options") << "Command2";
        QTest::newRow("New Values") << "Command3";
    }

    void hostedInMainWindow()
    {
        QFETCH(QString, button);
        TestDatabase db;
        addLength(db);
        db.openShared();
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
        db.addProperty("2000", "Added");
        main.mnuUnitConv_Click();
        form = main.loadedChild<frmUnitConv>();
        QVERIFY(form);
        QCOMPARE(form->findChild<QComboBox*>("cbProperty")->findText("Added"), 0);
    }

    void helpFailure()
    {
        TestDatabase db;
        db.openShared();
        Converter c;
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
        TestDatabase db;
        db.openShared();
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

    void accessKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("button");
        QTest::newRow("Alt+S") << int(Qt::Key_S) << "cmdSwap";
        QTest::newRow("Alt+R") << int(Qt::Key_R) << "cmdClear";
        QTest::newRow("Alt+N") << int(Qt::Key_N) << "Command3";
        QTest::newRow("Alt+O") << int(Qt::Key_O) << "Command2";
        QTest::newRow("Alt+D") << int(Qt::Key_D) << "cmdCancel";
    }

    void accessKeys()
    {
        QFETCH(int, key);
        QFETCH(QString, button);
        TestDatabase db;
        db.openShared();
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
