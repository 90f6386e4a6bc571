#include "DataTable.h"
#include "Pages.h"
#include "Seeds.h"
#include "ShellPage.h"

#include "data/Schema.h"
#include "data/modMain.h"
#include "engine/AddValues.h"
#include "engine/ConversionEngine.h"
#include "engine/NumberText.h"
#include "kit/ChildForm.h"

#include <QGroupBox>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

const QDateTime FifthAt140709(QDate(2024, 3, 5), QTime(14, 7, 9));

using Window = TestKit::NewValuesPage;
using TestKit::entries;

// New Values loaded on the catalogue the seeds fill; on the small mixed one when none is given.
class Loaded : public On<Window>
{
public:
    Loaded() : Loaded(Seeds::mixedLengths) {}
    template <typename... Seed> explicit Loaded(const Seed&... seeds) : On(seeds...) { open(); }
};

QList<QStringList> catalogue(TestDatabase& db)
{
    QList<QStringList> all;
    for (const QString& table : Schema::tables())
        all << db.rows(QStringLiteral("select * from %1 order by rowid").arg(table));
    return all;
}

} // namespace

class TestNewValues : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        MessageBox::setIntercepting(true);
    }
    void init()
    {
        MessageBox::takeRecords();
        setClockSource([] { return FifthAt140709; });
    }
    void cleanup() { setClockSource({}); }

    void clockId_data()
    {
        const TestKit::DataTable<QDateTime, QString> row("when", "id");
        row("5th at 14:07:09", FifthAt140709, "15172419");
        row("1st at midnight", QDateTime(QDate(2024, 1, 1), QTime(0, 0, 0)), "11101010");
        row("31st at 23:59:59", QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59)), "41693369");
    }
    void clockId()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, id);
        QCOMPARE(ClockID(when), id);
        setClockSource([when] { return when; });
        QCOMPARE(MakeClockID(), id);
    }

    void layout_data()
    {
        const TestKit::DataTable<QString, QString, QRect, QString> row("name", "parent", "twips", "text");
        row("Frame1", "Frame1", "frmNew", QRect(240, 120, 2595, 1995), "Select Item");
        row("rdBtn_1", "rdBtn_1", "Frame1", QRect(240, 570, 1425, 315), "Property");
        row("rdBtn_2", "rdBtn_2", "Frame1", QRect(240, 1110, 855, 315), "Unit");
        row("Frame2", "Frame2", "frmNew", QRect(2940, 120, 6765, 1995), "Values");
        row("l1", "l1", "Frame2", QRect(150, 270, 1335, 285), "Factor");
        row("cbProperty", "cbProperty", "Frame2", QRect(1560, 240, 5145, 315), "");
        row("l2", "l2", "Frame2", QRect(150, 680, 1335, 285), "Property Name");
        row("txtValue", "txtValue", "Frame2", QRect(1560, 650, 5115, 315), "");
        row("l3", "l3", "Frame2", QRect(150, 1090, 1335, 285), "Factor");
        row("txtUnitValue", "txtUnitValue", "Frame2", QRect(1560, 1060, 5115, 315), "");
        row("l4", "l4", "Frame2", QRect(150, 1500, 1335, 285), "Base Unit");
        row("cbUnit", "cbUnit", "Frame2", QRect(1560, 1470, 5145, 315), "");
        row("cmdCalc", "cmdCalc", "frmNew", QRect(9900, 210, 1245, 345), "&Add");
        row("cmdClear", "cmdClear", "frmNew", QRect(9900, 600, 1245, 345), "Clea&r");
        row("cmdExit", "cmdExit", "frmNew", QRect(9900, 990, 1245, 345), "&Done");
        row("cmdHelp_0", "cmdHelp_0", "frmNew", QRect(10110, 1380, 825, 735), "");
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, twips);
        QFETCH(QString, text);
        Window w;
        QCOMPARE(w.form->windowTitle(), QStringLiteral("New Values - Quantaro"));
        QCOMPARE(w.form->size(), QSize(ChildForm::px(11340), ChildForm::px(2265)));
        auto* widget = w.form->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        QCOMPARE(widget->geometry(), QRect(ChildForm::px(twips.x()), ChildForm::px(twips.y()),
                                           ChildForm::px(twips.width()), ChildForm::px(twips.height())));
        if (auto* label = qobject_cast<QLabel*>(widget))
            QCOMPARE(label->text(), text);
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            QCOMPARE(button->text(), text);
        else if (auto* frame = qobject_cast<QGroupBox*>(widget))
            QCOMPARE(frame->title(), text);
    }

    void fontsAndColours_data()
    {
        const TestKit::DataTable<QString, QString, qreal, bool> row("name", "family", "points", "bold");
        row("frame", "Frame2", "Tahoma", 9.75, true);
        row("option", "rdBtn_1", "Tahoma", 12.0, true);
        row("label", "l3", "Tahoma", 8.25, true);
        row("text box", "txtUnitValue", "Tahoma", 8.25, false);
        row("button", "cmdClear", "Tahoma", 9.75, true);
        row("help button", "cmdHelp_0", "Verdana", 9.75, true);
        const QFont system = QApplication::font();
        row("combo", "cbUnit", system.family(), system.pointSizeF(), system.bold());
    }
    void fontsAndColours()
    {
        QFETCH(QString, name);
        QFETCH(QString, family);
        QFETCH(qreal, points);
        QFETCH(bool, bold);
        Window w;
        const QWidget* widget = w.form->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->font().family(), family);
        QCOMPARE(widget->font().pointSizeF(), points);
        QCOMPARE(widget->font().bold(), bold);

        const QColor darkRed(128, 0, 0);
        QCOMPARE(w.get<QGroupBox>("Frame1")->palette().color(QPalette::WindowText), darkRed);
        QCOMPARE(w.get<QGroupBox>("Frame2")->palette().color(QPalette::WindowText), darkRed);
        if (qobject_cast<const QLabel*>(widget) || qobject_cast<const QRadioButton*>(widget))
            QVERIFY(widget->palette().color(QPalette::WindowText) != darkRed);
        if (qobject_cast<const QPushButton*>(widget))
            QCOMPARE(widget->palette().color(QPalette::Button), QColor(192, 192, 192));
    }

    void tabOrderAndNames()
    {
        Window w;
        const QStringList expected{"rdBtn_1", "rdBtn_2", "cbProperty", "txtValue", "txtUnitValue",
                                   "cbUnit",  "cmdCalc", "cmdClear",   "cmdExit",  "cmdHelp_0"};
        QStringList chain;
        QWidget* widget = w.get<QWidget>("rdBtn_1");
        do {
            if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName()))
                chain << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != w.get<QWidget>("rdBtn_1"));
        QCOMPARE(chain, expected);
        QCOMPARE(w.label("l2")->buddy(), w.txtValue());
        QCOMPARE(w.label("l4")->buddy(), w.cbUnit());
        QVERIFY(!w.get<QPushButton>("cmdHelp_0")->accessibleName().isEmpty());
        QVERIFY(!w.get<QPushButton>("cmdHelp_0")->icon().isNull());
    }

    void opensInPropertyMode()
    {
        Loaded w;
        QVERIFY(w.get<QRadioButton>("rdBtn_1")->isChecked());
        QCOMPARE(w.label("l2")->text(), QStringLiteral("Property Name"));
        QCOMPARE(w.label("l3")->text(), QStringLiteral("Base Unit"));
        for (const char* shown : {"l2", "txtValue", "l3", "txtUnitValue"})
            QVERIFY2(w.get<QWidget>(shown)->isVisible(), shown);
        for (const char* hidden : {"l1", "cbProperty", "l4", "cbUnit"})
            QVERIFY2(!w.get<QWidget>(hidden)->isVisible(), hidden);
        QVERIFY(w.txtValue()->text().isEmpty());
        QVERIFY(w.txtUnitValue()->text().isEmpty());
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void unitModeListsEveryProperty()
    {
        Loaded w;
        w.get<QRadioButton>("rdBtn_2")->click();
        const auto boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, QStringLiteral("Select a Property from the list Below"));
        QCOMPARE(boxes.first().style, MsgStyle::Information);
        QCOMPARE(boxes.first().title, BoxTitle);
        QCOMPARE(entries(w.cbProperty()),
                 QStringList({"Distance", "Empty", "Hidden Property", "Length", "temperature"}));
        QCOMPARE(w.cbProperty()->itemData(w.cbProperty()->findText("Hidden Property")).toInt(), 2000);
        QCOMPARE(w.cbProperty()->currentIndex(), -1);
        QCOMPARE(w.cbProperty()->currentText(), QStringLiteral("Select a Property"));
        QCOMPARE(w.cbUnit()->currentText(), QStringLiteral("Select Base Unit"));
        QCOMPARE(w.label("l1")->text(), QStringLiteral("Property"));
        QCOMPARE(w.label("l2")->text(), QStringLiteral("Unit Name"));
        QCOMPARE(w.label("l3")->text(), QStringLiteral("Factor"));
        for (const char* shown : {"l1", "cbProperty", "l4", "cbUnit", "txtUnitValue"})
            QVERIFY2(w.get<QWidget>(shown)->isVisible(), shown);
    }

    // A base unit whose factor the catalogue holds as nothing usable is named,
    // with what to do, and nothing is stored.
    void unusableBaseFactorIsExplained()
    {
        Loaded w;
        w.unitMode();
        Window::choose(w.cbProperty(), QStringLiteral("Length"));
        w.db.exec(QStringLiteral("update tbUnits set factor = 'lots' where uname = 'Centimetre'"));
        const auto before = catalogue(w.db);
        w.txtValue()->setText(QStringLiteral("Inch"));
        Window::choose(w.cbUnit(), QStringLiteral("Centimetre"));
        w.txtUnitValue()->setText(QStringLiteral("2.54"));
        w.add();
        const auto boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().style, MsgStyle::Critical);
        QCOMPARE(boxes.first().text, QStringLiteral("The new values could not be stored; nothing was changed.\n\n"
                                                    "The factor of the base unit \"Centimetre\" in the catalogue "
                                                    "holds \"lots\", which is not a number. Pick another base unit, "
                                                    "or hide this one under Tools > Options."));
        QCOMPARE(catalogue(w.db), before);
    }

    void unitModePromptsBeforeReadingTheList()
    {
        Loaded w([](TestDatabase& db) { db.addProperty("x1", "Broken"); }, Seeds::mixedLengths);
        w.get<QRadioButton>("rdBtn_2")->click();
        const auto boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes.at(0).style, MsgStyle::Information);
        QCOMPARE(boxes.at(1).text, QStringLiteral("Run-time error '13':\n\nThe identifier of the property \"Broken\" "
                                                  "in the catalogue holds \"x1\", which is not a number. The rows "
                                                  "before it are listed, the rows after it are not. Restore the "
                                                  "catalogue from your backup, or correct that row of the table "
                                                  "tbProperty with a database tool."));
        QCOMPARE(w.cbProperty()->currentText(), QStringLiteral("Select a Property"));
        QCOMPARE(w.cbUnit()->currentText(), QStringLiteral("Select Base Unit"));
    }

    void baseUnitList_data()
    {
        const TestKit::DataTable<QString, QStringList, QString> row("property", "units", "editText");
        row("visible units only", "Length", QStringList{"Centimetre", "Metre", "Nothing"}, "Select Base Unit");
        row("borrowed list", "Distance", QStringList{"Centimetre", "Metre", "Nothing"}, "Select Base Unit");
        row("hidden property", "Hidden Property", QStringList{"Hidden Unit"}, "Select Base Unit");
        row("no visible unit", "Empty", QStringList{}, "");
    }
    void baseUnitList()
    {
        QFETCH(QString, property);
        QFETCH(QStringList, units);
        QFETCH(QString, editText);
        Loaded w;
        w.unitMode();
        Window::choose(w.cbProperty(), "Length");
        Window::choose(w.cbProperty(), property);
        QCOMPARE(entries(w.cbUnit()), units);
        QCOMPARE(w.cbUnit()->currentText(), editText);
        QCOMPARE(w.cbUnit()->currentIndex(), -1);
        const auto boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), units.isEmpty() ? 1 : 0);
        if (units.isEmpty()) {
            QCOMPARE(boxes.first().text, QStringLiteral("No unit available for this property. To add new unit for "
                                                        "this property go to 'Tools' -> 'New'."));
            QCOMPARE(boxes.first().style, MsgStyle::OkOnly);
            QCOMPARE(boxes.first().title, QStringLiteral("Quantaro"));
        }
    }

    void switchingAndClearing()
    {
        Loaded w;
        w.unitMode();
        Window::choose(w.cbProperty(), "Length");
        Window::choose(w.cbUnit(), "Metre");
        w.txtValue()->setText("Foot");
        w.txtUnitValue()->setText("0.3048");
        w.get<QPushButton>("cmdClear")->click();
        QVERIFY(w.txtValue()->text().isEmpty());
        QVERIFY(w.txtUnitValue()->text().isEmpty());
        QCOMPARE(w.cbProperty()->currentText(), QStringLiteral("Select a Property"));
        QCOMPARE(w.cbUnit()->currentText(), QStringLiteral("Select Base Unit"));
        QCOMPARE(w.cbUnit()->currentIndex(), -1);
        QCOMPARE(w.cbUnit()->count(), 3);

        w.get<QRadioButton>("rdBtn_1")->click();
        QVERIFY(!w.cbUnit()->isVisible());
        w.unitMode();
        QCOMPARE(entries(w.cbUnit()), QStringList({"Centimetre", "Metre", "Nothing"}));
        QCOMPARE(w.cbUnit()->currentText(), QStringLiteral("Select Base Unit"));
    }

    void openers_data()
    {
        const TestKit::DataTable<bool> row("viaMenu");
        row("Tools > New", true);
        row("converter's New Values", false);
    }
    void openers()
    {
        QFETCH(bool, viaMenu);
        SeededDatabase catalogue(Seeds::mixedLengths);
        TestKit::ShellPage shell;
        MDIMain& main = shell.main;
        QVERIFY(main.loadedChild<frmUnitConv>());
        if (viaMenu)
            shell.trigger("mnuNG");
        else
            main.loadedChild<frmUnitConv>()->findChild<QPushButton*>("Command3")->click();
        QTRY_VERIFY(!main.loadedChild<frmUnitConv>());
        Window w(main.loadedChild<frmNew>());
        QVERIFY(w.form);
        QCOMPARE(main.mdiArea()->activeSubWindow(), w.form->subWindow());
        QTRY_VERIFY(w.form->isAncestorOf(QApplication::focusWidget()));
        QVERIFY(w.get<QRadioButton>("rdBtn_1")->isChecked());
        QVERIFY(MessageBox::takeRecords().isEmpty());

        // Opening it again only brings it to the front, with what was typed.
        w.txtValue()->setText("Speed");
        shell.trigger("mnuNG");
        QCOMPARE(main.loadedChild<frmNew>(), w.form);
        QCOMPARE(w.txtValue()->text(), QStringLiteral("Speed"));

        // "&Done" closes it without opening the converter again.
        w.get<QPushButton>("cmdExit")->click();
        QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
    }

    void additionsReachTheConverterNextTime()
    {
        SeededDatabase catalogue(Seeds::mixedLengths);
        TestKit::ShellPage shell;
        MDIMain& main = shell.main;
        shell.trigger("mnuNG");
        Window w(main.loadedChild<frmNew>());
        w.addProperty("Speed", "m/s");
        w.unitMode();
        w.addUnit("Length", "Foot", "Metre", "0.3048");
        QVERIFY(MessageBox::takeRecords().isEmpty());
        w.get<QPushButton>("cmdExit")->click();
        QTRY_VERIFY(!main.loadedChild<frmNew>());

        shell.trigger("mnuUnitConv");
        auto* converter = main.loadedChild<frmUnitConv>();
        QVERIFY(converter);
        auto* properties = converter->findChild<QComboBox*>("cbProperty");
        QVERIFY(properties->findText("Speed") >= 0);
        Window::choose(properties, "Length");
        converter->findChild<QLineEdit*>("txtInput")->setText("1");
        for (const auto& [list, unit] : {std::pair{"lstUnitFrm", "Foot"}, std::pair{"lstUnitTo", "Metre"}}) {
            auto* units = converter->findChild<SortedLists::ListView*>(list);
            const int found = units->findRow(unit);
            QVERIFY(found >= 0);
            units->setCurrentRow(found, QItemSelectionModel::ClearAndSelect);
        }
        QCOMPARE(converter->findChild<QLineEdit*>("txtOutput")->text(), QStringLiteral("0.3048"));
        converter->findChild<QPushButton*>("cmdCancel")->click();
        QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
    }

    void refusals_data()
    {
        const TestKit::DataTable<int, QString, QString, bool, QString, QString, QString, QString> row(
            "mode", "property", "base", "baseTyped", "name", "value", "message", "focus");
        const QString none;
        row("property: all empty", 1, none, none, false, "", "", "Invalid Input", "txtValue");
        row("property: blank name", 1, none, none, false, "   ", "m/s", "Invalid Input", "txtValue");
        row("property: blank base unit", 1, none, none, false, "Speed", "  ", "Invalid Base Unit", "txtUnitValue");
        row("property: existing name", 1, none, none, false, "Length", "", "Invalid Base Unit", "txtUnitValue");
        row("property: duplicate", 1, none, none, false, "Length", "m", "Property name already exsists", "txtValue");
        row("unit: all empty", 2, none, none, false, "", "", "Invalid Input", "txtValue");
        row("unit: no property", 2, none, none, false, "Foot", "0.3048", "Base Unit Not Selected", "cbUnit");
        row("unit: base placeholder", 2, "Length", none, false, "Foot", "abc", "Base Unit Not Selected", "cbUnit");
        row("unit: typed base", 2, "Length", "Met", true, "Foot", "0.3048", "Base Unit Not Selected", "cbUnit");
        row("unit: letters", 2, "Length", "Metre", false, "Metre", "abc", "Invalid Factor", "txtUnitValue");
        row("unit: blank factor", 2, "Length", "Metre", false, "Foot", "   ", "Invalid Factor", "txtUnitValue");
        row("unit: zero factor", 2, "Length", "Metre", false, "Foot", "0", "Invalid Factor", "txtUnitValue");
        row("unit: negative factor", 2, "Length", "Metre", false, "Foot", "-0.3048", "Invalid Factor", "txtUnitValue");
        row("unit: base of factor zero", 2, "Length", "Nothing", false, "Foot", "2", "Invalid Factor", "txtUnitValue");
        row("unit: duplicate", 2, "Length", "Metre", false, "Centimetre", "0.01",
            "Unit already exsists for this Property", "txtValue");
        row("unit: duplicate in borrowed list", 2, "Distance", "Metre", false, "Centimetre", "0.01",
            "Unit already exsists for this Property", "txtValue");
    }
    // After an add the property box shows its prompt again while the base-unit
    // list keeps its entries: the base unit and the factor are checked first,
    // and only then that a property is chosen.
    void unitChecksAfterAnAddInOrder_data()
    {
        const TestKit::DataTable<QString, QString, QString, QString> row("base", "factor", "message", "focus");
        row("base unit first", "", "2", "Base Unit Not Selected", "cbUnit");
        row("factor second", "Metre", "abc", "Invalid Factor", "txtUnitValue");
        row("property last", "Metre", "2", "Property Not Selected", "cbProperty");
    }
    void unitChecksAfterAnAddInOrder()
    {
        Loaded w;
        w.unitMode();
        w.addUnit("Length", "Furlong", "Metre", "201.168");
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QCOMPARE(w.cbProperty()->currentText(), QStringLiteral("Select a Property"));
        QVERIFY(w.cbUnit()->count() > 0);
        const auto before = catalogue(w.db);

        QFETCH(QString, base);
        QFETCH(QString, factor);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        if (!base.isEmpty())
            Window::choose(w.cbUnit(), base);
        w.txtValue()->setText(QStringLiteral("Chain"));
        w.txtUnitValue()->setText(factor);
        w.add();
        const auto boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, message);
        QCOMPARE(boxes.first().style, MsgStyle::Exclamation);
        QCOMPARE(QApplication::focusWidget(), w.get<QWidget>(qPrintable(focus)));
        QCOMPARE(catalogue(w.db), before);
    }

    void refusals()
    {
        QFETCH(int, mode);
        QFETCH(QString, property);
        QFETCH(QString, base);
        QFETCH(bool, baseTyped);
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        On<Window> w(Seeds::mixedLengths);
        const auto before = catalogue(w.db);
        w.open();
        if (mode == 2)
            w.unitMode();
        if (!property.isEmpty())
            Window::choose(w.cbProperty(), property);
        if (baseTyped) {
            // An entry was picked, then its text edited: the edit selects nothing.
            Window::choose(w.cbUnit(), "Metre");
            w.cbUnit()->setEditText(base);
        } else if (!base.isEmpty()) {
            Window::choose(w.cbUnit(), base);
        }
        const QString propertyText = w.cbProperty()->currentText();
        const QString baseText = w.cbUnit()->currentText();
        w.txtValue()->setText(name);
        w.txtUnitValue()->setText(value);
        w.add();

        const auto boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, message);
        QCOMPARE(boxes.first().style, MsgStyle::Exclamation);
        QCOMPARE(boxes.first().title, BoxTitle);
        QCOMPARE(QApplication::focusWidget(), w.get<QWidget>(qPrintable(focus)));
        QCOMPARE(w.txtValue()->text(), name);
        QCOMPARE(w.txtUnitValue()->text(), value);
        QCOMPARE(w.cbProperty()->currentText(), propertyText);
        QCOMPARE(w.cbUnit()->currentText(), baseText);
        QCOMPARE(catalogue(w.db), before);
    }

    void addProperty()
    {
        Loaded w;
        w.addProperty("  Speed ", " m/s");
        QVERIFY(MessageBox::takeRecords().isEmpty());
        const QString id = ClockID(FifthAt140709);
        const QStringList property{id, "  Speed ", "0"};
        const QStringList unit{id, " m/s", "1", id, "0"};
        QCOMPARE(w.db.rows("select * from tbProperty where PropID = ?", {id}), QList<QStringList>{property});
        QCOMPARE(w.db.rows("select * from tbUserProperty"), QList<QStringList>{property});
        QCOMPARE(w.db.rows("select * from tbUnits where UID = ?", {id}), QList<QStringList>{unit});
        QCOMPARE(w.db.rows("select * from tbUserUnits"), QList<QStringList>{unit});
        QVERIFY(w.txtValue()->text().isEmpty());
        QVERIFY(w.txtUnitValue()->text().isEmpty());
        QVERIFY(w.get<QRadioButton>("rdBtn_1")->isChecked());

        w.unitMode();
        QVERIFY(entries(w.cbProperty()).contains("  Speed "));
        Window::choose(w.cbProperty(), "  Speed ");
        QCOMPARE(entries(w.cbUnit()), QStringList{" m/s"});
    }

    void addUnit_data()
    {
        const TestKit::DataTable<QString, QString, double> row("base", "typed", "factor");
        row("metre, 0.3048", "Metre", "0.3048", 3.280839895013123);
        row("centimetre, 2.54", "Centimetre", "2.54", 39.37007874015748);
    }
    void addUnit()
    {
        QFETCH(QString, base);
        QFETCH(QString, typed);
        QFETCH(double, factor);
        Loaded w;
        w.unitMode();
        w.addUnit("Length", "Foot", base, typed);
        QVERIFY(MessageBox::takeRecords().isEmpty());
        const QString id = ClockID(FifthAt140709);
        const auto stored = w.db.rows("select * from tbUnits where UID = ?", {id});
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().value(1), QStringLiteral("Foot"));
        QCOMPARE(stored.first().value(2).toDouble(), factor);
        QCOMPARE(stored.first().value(3), QStringLiteral("1015"));
        QCOMPARE(stored.first().value(4), QStringLiteral("0"));
        QCOMPARE(w.db.rows("select * from tbUserUnits"), stored);
        QCOMPARE(w.db.scalar("select count(*) from tbProperty").toInt(), 5);

        const qint32 baseId = w.cbUnit()->itemData(w.cbUnit()->findText(base)).toInt();
        QCOMPARE(FactorResultText(QStringLiteral("1"), id.toInt(), baseId), typed);

        QCOMPARE(w.cbProperty()->currentText(), QStringLiteral("Select a Property"));
        QCOMPARE(w.cbUnit()->currentText(), QStringLiteral("Select Base Unit"));
        QVERIFY(w.txtValue()->text().isEmpty());
        QVERIFY(w.txtUnitValue()->text().isEmpty());
        QVERIFY(!entries(w.cbUnit()).contains("Foot"));
    }

    void unitOfBorrowingPropertyJoinsTheLentList()
    {
        Loaded w;
        w.unitMode();
        w.addUnit("Distance", "Furlong", "Metre", "201.168");
        QCOMPARE(w.db.scalar("select PropID from tbUnits where uname = 'Furlong'").toString(), QStringLiteral("1015"));
        QCOMPARE(w.db.scalar("select PropID from tbUserUnits where uname = 'Furlong'").toString(),
                 QStringLiteral("1015"));
        QCOMPARE(modMain::CurrentPropID, QStringLiteral("1015"));
    }

    void failedWriteChangesNothing_data()
    {
        const TestKit::DataTable<int, QString> row("mode", "table");
        row("property, last record refused", 1, "tbUserUnits");
        row("property, base unit refused", 1, "tbUnits");
        row("unit, record refused", 2, "tbUserUnits");
    }
    void failedWriteChangesNothing()
    {
        QFETCH(int, mode);
        QFETCH(QString, table);
        On<Window> w(Seeds::mixedLengths);
        w.db.exec(
            QStringLiteral("create trigger refuse before insert on %1 begin select raise(abort, 'disk says no'); end")
                .arg(table));
        const auto before = catalogue(w.db);
        w.open();
        if (mode == 1) {
            w.addProperty("Speed", "m/s");
        } else {
            w.unitMode();
            w.addUnit("Length", "Foot", "Metre", "0.3048");
        }
        const auto boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().text.contains("disk says no"), qPrintable(boxes.first().text));
        QCOMPARE(boxes.first().style, MsgStyle::Critical);
        QCOMPARE(boxes.first().title, BoxTitle);
        QCOMPARE(catalogue(w.db), before);
        QCOMPARE(w.txtValue()->text(), mode == 1 ? QStringLiteral("Speed") : QStringLiteral("Foot"));
        QCOMPARE(w.txtUnitValue()->text(), mode == 1 ? QStringLiteral("m/s") : QStringLiteral("0.3048"));

        w.db.exec("drop trigger refuse");
        w.add();
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QCOMPARE(w.db.scalar("select count(*) from tbUserUnits").toInt(), 1);
    }

    void duplicates_data()
    {
        const TestKit::DataTable<int, QStringList, QList<bool>> row("mode", "names", "stored");
        row("property: exact text", 1, QStringList{"Length"}, QList<bool>{false});
        row("property: letter case", 1, QStringList{"length", "LENGTH", "LENGTH"}, QList<bool>{true, true, false});
        row("property: blanks around", 1, QStringList{" Length ", " Length "}, QList<bool>{true, false});
        row("unit: exact text", 2, QStringList{"Metre"}, QList<bool>{false});
        row("unit: hidden unit", 2, QStringList{"Rod"}, QList<bool>{false});
        row("unit: letter case", 2, QStringList{"metre", "METRE", "METRE"}, QList<bool>{true, true, false});
        row("unit: blanks around", 2, QStringList{"Metre ", "Metre "}, QList<bool>{true, false});
        row("unit: name of another property's unit", 2, QStringList{"Hidden Unit"}, QList<bool>{true});
    }
    void duplicates()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, names);
        QFETCH(QList<bool>, stored);
        Loaded w;
        if (mode == 2)
            w.unitMode();
        const QString table = mode == 1 ? QStringLiteral("tbProperty") : QStringLiteral("tbUnits");
        const QString scope = mode == 1 ? QStringLiteral("propname = ? collate binary")
                                        : QStringLiteral("uname = ? collate binary and PropID = '1015'");
        for (int i = 0; i < names.size(); ++i) {
            const QString sql = QStringLiteral("select count(*) from ") + table;
            const int before = w.db.scalar(sql).toInt();
            if (mode == 1)
                w.addProperty(names[i], "unit");
            else
                w.addUnit("Length", names[i], "Metre", "2");
            const auto boxes = MessageBox::takeRecords();
            QCOMPARE(w.db.scalar(sql).toInt(), before + (stored[i] ? 1 : 0));
            QCOMPARE(boxes.size(), stored[i] ? 0 : 1);
            if (!stored[i])
                QCOMPARE(boxes.first().text, mode == 1 ? QStringLiteral("Property name already exsists")
                                                       : QStringLiteral("Unit already exsists for this Property"));
        }
        // Every name is held exactly once in its scope, whether it was stored now or before.
        const QString exact = QStringLiteral("select count(*) from %1 where %2").arg(table, scope);
        for (const QString& name : names)
            QCOMPARE(w.db.scalar(exact, {name}).toInt(), 1);
    }

    void sameSecondGivesDistinctIdentifiers()
    {
        On<Window> w(Seeds::mixedLengths);
        const QString clock = ClockID(FifthAt140709);
        w.db.addProperty(clock, "Added last month");
        w.open();
        w.addProperty("Speed", "m/s");
        w.addProperty("Pace", "s/m");
        w.unitMode();
        w.addUnit("Length", "Foot", "Metre", "0.3048");
        w.addUnit("Length", "Inch", "Metre", "0.0254");
        QVERIFY(MessageBox::takeRecords().isEmpty());
        const QString next = QString::number(clock.toInt() + 1);
        QCOMPARE(w.db.scalar("select PropID from tbProperty where propname = 'Speed'").toString(), next);
        QCOMPARE(w.db.scalar("select UID from tbUnits where uname = 'm/s'").toString(), clock);
        QCOMPARE(w.db.scalar("select count(distinct PropID) from tbProperty").toInt(), 8);
        QCOMPARE(w.db.scalar("select count(distinct UID) from tbUnits").toInt(), 10);
        QCOMPARE(w.db.scalar("select count(distinct UID) from tbUserUnits").toInt(), 4);
        QCOMPARE(w.db.scalar("select count(distinct PropID) from tbUserProperty").toInt(), 2);
    }

    void typedTextRoundTrips_data()
    {
        const TestKit::DataTable<QString> row("name");
        row("SQL", "O'Brien'; drop table tbUnits; --");
        row("quotes", "\"quoted\" \\ back`tick` %_");
        row("unicode", QStringLiteral("Ångström 温度 \U0001F600"));
        row("long", QString(3000, QLatin1Char('x')));
    }
    void typedTextRoundTrips()
    {
        QFETCH(QString, name);
        Loaded w;
        w.addProperty(name, name);
        w.unitMode();
        w.addUnit("Length", name, "Metre", "3");
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QCOMPARE(w.db.scalar("select count(*) from tbProperty where propname = ?", {name}).toInt(), 1);
        QCOMPARE(w.db.scalar("select count(*) from tbUnits where uname = ?", {name}).toInt(), 2);
        QCOMPARE(w.db.scalar("select count(*) from tbUserUnits where uname = ?", {name}).toInt(), 2);

        w.addUnit(name, name, name, "3");
        const auto boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, QStringLiteral("Unit already exsists for this Property"));
        QCOMPARE(w.txtValue()->text(), name);
    }
};

QTEST_MAIN(TestNewValues)
#include "tst_newvalues.moc"
