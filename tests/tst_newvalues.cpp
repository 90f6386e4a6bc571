#include "Pages.h"
#include "TestDatabase.h"

#include "app/MDIMain.h"
#include "convert/frmUnitConv.h"
#include "data/Schema.h"
#include "data/modMain.h"
#include "engine/AddValues.h"
#include "engine/ConversionEngine.h"
#include "engine/NumberText.h"
#include "kit/ChildForm.h"
#include "kit/MessageBox.h"
#include "kit/SortedLists.h"
#include "newvalues/frmNew.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

namespace {

const QDateTime FifthAt140709(QDate(2024, 3, 5), QTime(14, 7, 9));

using Window = TestKit::NewValuesPage;
using TestKit::entries;

// A small catalogue: Length with visible and hidden units, a property that
// borrows Length's list, a hidden property, and one without visible units.
void seed(TestDatabase& db)
{
    db.addProperty("1015", "Length");
    db.addProperty("1040", "Distance");
    db.addProperty("92", "temperature");
    db.addProperty("2000", "Hidden Property", "1");
    db.addProperty("3000", "Empty");
    db.addUnit("1", "Metre", 1.0, "1015");
    db.addUnit("2", "Centimetre", 100.0, "1015");
    db.addUnit("3", "Rod", 0.2, "1015", "1");
    db.addUnit("4", "Nothing", 0.0, "1015");
    db.addUnit("20", "Hidden Unit", 1.0, "2000");
    db.addUnit("30", "Invisible", 1.0, "3000", "1");
    db.openShared();
}

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
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("id");
        QTest::newRow("5th at 14:07:09") << FifthAt140709 << "15172419";
        QTest::newRow("1st at midnight") << QDateTime(QDate(2024, 1, 1), QTime(0, 0, 0)) << "11101010";
        QTest::newRow("31st at 23:59:59") << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59)) << "41693369";
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
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("text");
        QTest::newRow("Frame1") << "Frame1"
                                << "frmNew" << QRect(240, 120, 2595, 1995) << "Select Item";
        QTest::newRow("rdBtn_1") << "rdBtn_1"
                                 << "Frame1" << QRect(240, 570, 1425, 315) << "Property";
        QTest::newRow("rdBtn_2") << "rdBtn_2"
                                 << "Frame1" << QRect(240, 1110, 855, 315) << "Unit";
        QTest::newRow("Frame2") << "Frame2"
                                << "frmNew" << QRect(2940, 120, 6765, 1995) << "Values";
        QTest::newRow("l1") << "l1"
                            << "Frame2" << QRect(150, 270, 1335, 285) << "Factor";
        QTest::newRow("cbProperty") << "cbProperty"
                                    << "Frame2" << QRect(1560, 240, 5145, 315) << "";
        QTest::newRow("l2") << "l2"
                            << "Frame2" << QRect(150, 680, 1335, 285) << "Property Name";
        QTest::newRow("txtValue") << "txtValue"
                                  << "Frame2" << QRect(1560, 650, 5115, 315) << "";
        QTest::newRow("l3") << "l3"
                            << "Frame2" << QRect(150, 1090, 1335, 285) << "Factor";
        QTest::newRow("txtUnitValue") << "txtUnitValue"
                                      << "Frame2" << QRect(1560, 1060, 5115, 315) << "";
        QTest::newRow("l4") << "l4"
                            << "Frame2" << QRect(150, 1500, 1335, 285) << "Base Unit";
        QTest::newRow("cbUnit") << "cbUnit"
                                << "Frame2" << QRect(1560, 1470, 5145, 315) << "";
        QTest::newRow("cmdCalc") << "cmdCalc"
                                 << "frmNew" << QRect(9900, 210, 1245, 345) << "&Add";
        QTest::newRow("cmdClear") << "cmdClear"
                                  << "frmNew" << QRect(9900, 600, 1245, 345) << "Clea&r";
        QTest::newRow("cmdExit") << "cmdExit"
                                 << "frmNew" << QRect(9900, 990, 1245, 345) << "&Done";
        QTest::newRow("cmdHelp_0") << "cmdHelp_0"
                                   << "frmNew" << QRect(10110, 1380, 825, 735) << "";
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
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("family");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<bool>("bold");
        QTest::newRow("frame") << "Frame2"
                               << "Tahoma" << 9.75 << true;
        QTest::newRow("option") << "rdBtn_1"
                                << "Tahoma" << 12.0 << true;
        QTest::newRow("label") << "l3"
                               << "Tahoma" << 8.25 << true;
        QTest::newRow("text box") << "txtUnitValue"
                                  << "Tahoma" << 8.25 << false;
        QTest::newRow("button") << "cmdClear"
                                << "Tahoma" << 9.75 << true;
        QTest::newRow("help button") << "cmdHelp_0"
                                     << "Verdana" << 9.75 << true;
        const QFont system = QApplication::font();
        QTest::newRow("combo") << "cbUnit" << system.family() << system.pointSizeF() << system.bold();
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
        TestDatabase db;
        seed(db);
        Window w;
        w.open();
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
        TestDatabase db;
        seed(db);
        Window w;
        w.open();
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
        TestDatabase db;
        seed(db);
        Window w;
        w.open();
        w.unitMode();
        Window::choose(w.cbProperty(), QStringLiteral("Length"));
        db.exec(QStringLiteral("update tbUnits set factor = 'lots' where uname = 'Centimetre'"));
        const auto before = catalogue(db);
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
        QCOMPARE(catalogue(db), before);
    }

    void unitModePromptsBeforeReadingTheList()
    {
        TestDatabase db;
        db.addProperty("x1", "Broken");
        seed(db);
        Window w;
        w.open();
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
        QTest::addColumn<QString>("property");
        QTest::addColumn<QStringList>("units");
        QTest::addColumn<QString>("editText");
        QTest::newRow("visible units only")
            << "Length" << QStringList{"Centimetre", "Metre", "Nothing"} << "Select Base Unit";
        QTest::newRow("borrowed list") << "Distance" << QStringList{"Centimetre", "Metre", "Nothing"}
                                       << "Select Base Unit";
        QTest::newRow("hidden property") << "Hidden Property" << QStringList{"Hidden Unit"} << "Select Base Unit";
        QTest::newRow("no visible unit") << "Empty" << QStringList{} << "";
    }
    void baseUnitList()
    {
        QFETCH(QString, property);
        QFETCH(QStringList, units);
        QFETCH(QString, editText);
        TestDatabase db;
        seed(db);
        Window w;
        w.open();
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
        TestDatabase db;
        seed(db);
        Window w;
        w.open();
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
        QTest::addColumn<bool>("viaMenu");
        QTest::newRow("Tools > New") << true;
        QTest::newRow("converter's New Values") << false;
    }
    void openers()
    {
        QFETCH(bool, viaMenu);
        TestDatabase db;
        seed(db);
        MDIMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QVERIFY(main.loadedChild<frmUnitConv>());
        if (viaMenu)
            main.findChild<QAction*>("mnuNG")->trigger();
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
        main.findChild<QAction*>("mnuNG")->trigger();
        QCOMPARE(main.loadedChild<frmNew>(), w.form);
        QCOMPARE(w.txtValue()->text(), QStringLiteral("Speed"));

        // "&Done" closes it without opening the converter again.
        w.get<QPushButton>("cmdExit")->click();
        QTRY_VERIFY(main.mdiArea()->subWindowList().isEmpty());
    }

    void additionsReachTheConverterNextTime()
    {
        TestDatabase db;
        seed(db);
        MDIMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.findChild<QAction*>("mnuNG")->trigger();
        Window w(main.loadedChild<frmNew>());
        w.addProperty("Speed", "m/s");
        w.unitMode();
        w.addUnit("Length", "Foot", "Metre", "0.3048");
        QVERIFY(MessageBox::takeRecords().isEmpty());
        w.get<QPushButton>("cmdExit")->click();
        QTRY_VERIFY(!main.loadedChild<frmNew>());

        main.findChild<QAction*>("mnuUnitConv")->trigger();
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
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("base");
        QTest::addColumn<bool>("baseTyped");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        const QString none;
        QTest::newRow("property: all empty") << 1 << none << none << false << ""
                                             << ""
                                             << "Invalid Input"
                                             << "txtValue";
        QTest::newRow("property: blank name") << 1 << none << none << false << "   "
                                              << "m/s"
                                              << "Invalid Input"
                                              << "txtValue";
        QTest::newRow("property: blank base unit") << 1 << none << none << false << "Speed"
                                                   << "  "
                                                   << "Invalid Base Unit"
                                                   << "txtUnitValue";
        QTest::newRow("property: existing name") << 1 << none << none << false << "Length"
                                                 << ""
                                                 << "Invalid Base Unit"
                                                 << "txtUnitValue";
        QTest::newRow("property: duplicate") << 1 << none << none << false << "Length"
                                             << "m"
                                             << "Property name already exsists"
                                             << "txtValue";
        QTest::newRow("unit: all empty") << 2 << none << none << false << ""
                                         << ""
                                         << "Invalid Input"
                                         << "txtValue";
        QTest::newRow("unit: no property") << 2 << none << none << false << "Foot"
                                           << "0.3048"
                                           << "Base Unit Not Selected"
                                           << "cbUnit";
        QTest::newRow("unit: base placeholder") << 2 << "Length" << none << false << "Foot"
                                                << "abc"
                                                << "Base Unit Not Selected"
                                                << "cbUnit";
        QTest::newRow("unit: typed base") << 2 << "Length"
                                          << "Met" << true << "Foot"
                                          << "0.3048"
                                          << "Base Unit Not Selected"
                                          << "cbUnit";
        QTest::newRow("unit: letters") << 2 << "Length"
                                       << "Metre" << false << "Metre"
                                       << "abc"
                                       << "Invalid Factor"
                                       << "txtUnitValue";
        QTest::newRow("unit: blank factor") << 2 << "Length"
                                            << "Metre" << false << "Foot"
                                            << "   "
                                            << "Invalid Factor"
                                            << "txtUnitValue";
        QTest::newRow("unit: zero factor") << 2 << "Length"
                                           << "Metre" << false << "Foot"
                                           << "0"
                                           << "Invalid Factor"
                                           << "txtUnitValue";
        QTest::newRow("unit: negative factor") << 2 << "Length"
                                               << "Metre" << false << "Foot"
                                               << "-0.3048"
                                               << "Invalid Factor"
                                               << "txtUnitValue";
        QTest::newRow("unit: base of factor zero") << 2 << "Length"
                                                   << "Nothing" << false << "Foot"
                                                   << "2"
                                                   << "Invalid Factor"
                                                   << "txtUnitValue";
        QTest::newRow("unit: duplicate") << 2 << "Length"
                                         << "Metre" << false << "Centimetre"
                                         << "0.01"
                                         << "Unit already exsists for this Property"
                                         << "txtValue";
        QTest::newRow("unit: duplicate in borrowed list") << 2 << "Distance"
                                                          << "Metre" << false << "Centimetre"
                                                          << "0.01"
                                                          << "Unit already exsists for this Property"
                                                          << "txtValue";
    }
    // After an add the property box shows its prompt again while the base-unit
    // list keeps its entries: the base unit and the factor are checked first,
    // and only then that a property is chosen.
    void unitChecksAfterAnAddInOrder_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("factor");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("base unit first") << ""
                                         << "2"
                                         << "Base Unit Not Selected"
                                         << "cbUnit";
        QTest::newRow("factor second") << "Metre"
                                       << "abc"
                                       << "Invalid Factor"
                                       << "txtUnitValue";
        QTest::newRow("property last") << "Metre"
                                       << "2"
                                       << "Property Not Selected"
                                       << "cbProperty";
    }
    void unitChecksAfterAnAddInOrder()
    {
        QFETCH(QString, base);
        QFETCH(QString, factor);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        TestDatabase db;
        seed(db);
        Window w;
        w.open();
        w.unitMode();
        w.addUnit("Length", "Furlong", "Metre", "201.168");
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QCOMPARE(w.cbProperty()->currentText(), QStringLiteral("Select a Property"));
        QVERIFY(w.cbUnit()->count() > 0);
        const auto before = catalogue(db);

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
        QCOMPARE(catalogue(db), before);
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
        TestDatabase db;
        seed(db);
        const auto before = catalogue(db);
        Window w;
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
        QCOMPARE(catalogue(db), before);
    }

    void addProperty()
    {
        TestDatabase db;
        seed(db);
        Window w;
        w.open();
        w.addProperty("  Speed ", " m/s");
        QVERIFY(MessageBox::takeRecords().isEmpty());
        const QString id = ClockID(FifthAt140709);
        const QStringList property{id, "  Speed ", "0"};
        const QStringList unit{id, " m/s", "1", id, "0"};
        QCOMPARE(db.rows("select * from tbProperty where PropID = ?", {id}), QList<QStringList>{property});
        QCOMPARE(db.rows("select * from tbUserProperty"), QList<QStringList>{property});
        QCOMPARE(db.rows("select * from tbUnits where UID = ?", {id}), QList<QStringList>{unit});
        QCOMPARE(db.rows("select * from tbUserUnits"), QList<QStringList>{unit});
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
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("factor");
        QTest::newRow("metre, 0.3048") << "Metre"
                                       << "0.3048" << 3.280839895013123;
        QTest::newRow("centimetre, 2.54") << "Centimetre"
                                          << "2.54" << 39.37007874015748;
    }
    void addUnit()
    {
        QFETCH(QString, base);
        QFETCH(QString, typed);
        QFETCH(double, factor);
        TestDatabase db;
        seed(db);
        Window w;
        w.open();
        w.unitMode();
        w.addUnit("Length", "Foot", base, typed);
        QVERIFY(MessageBox::takeRecords().isEmpty());
        const QString id = ClockID(FifthAt140709);
        const auto stored = db.rows("select * from tbUnits where UID = ?", {id});
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().value(1), QStringLiteral("Foot"));
        QCOMPARE(stored.first().value(2).toDouble(), factor);
        QCOMPARE(stored.first().value(3), QStringLiteral("1015"));
        QCOMPARE(stored.first().value(4), QStringLiteral("0"));
        QCOMPARE(db.rows("select * from tbUserUnits"), stored);
        QCOMPARE(db.scalar("select count(*) from tbProperty").toInt(), 5);

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
        TestDatabase db;
        seed(db);
        Window w;
        w.open();
        w.unitMode();
        w.addUnit("Distance", "Furlong", "Metre", "201.168");
        QCOMPARE(db.scalar("select PropID from tbUnits where uname = 'Furlong'").toString(), QStringLiteral("1015"));
        QCOMPARE(db.scalar("select PropID from tbUserUnits where uname = 'Furlong'").toString(),
                 QStringLiteral("1015"));
        QCOMPARE(modMain::CurrentPropID, QStringLiteral("1015"));
    }

    void failedWriteChangesNothing_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("table");
        QTest::newRow("property, last record refused") << 1 << "tbUserUnits";
        QTest::newRow("property, base unit refused") << 1 << "tbUnits";
        QTest::newRow("unit, record refused") << 2 << "tbUserUnits";
    }
    void failedWriteChangesNothing()
    {
        QFETCH(int, mode);
        QFETCH(QString, table);
        TestDatabase db;
        seed(db);
        db.exec(
            QStringLiteral("create trigger refuse before insert on %1 begin select raise(abort, 'disk says no'); end")
                .arg(table));
        const auto before = catalogue(db);
        Window w;
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
        QCOMPARE(catalogue(db), before);
        QCOMPARE(w.txtValue()->text(), mode == 1 ? QStringLiteral("Speed") : QStringLiteral("Foot"));
        QCOMPARE(w.txtUnitValue()->text(), mode == 1 ? QStringLiteral("m/s") : QStringLiteral("0.3048"));

        db.exec("drop trigger refuse");
        w.add();
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QCOMPARE(db.scalar("select count(*) from tbUserUnits").toInt(), 1);
    }

    void duplicates_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<bool>>("stored");
        QTest::newRow("property: exact text") << 1 << QStringList{"Length"} << QList<bool>{false};
        QTest::newRow("property: letter case")
            << 1 << QStringList{"length", "LENGTH", "LENGTH"} << QList<bool>{true, true, false};
        QTest::newRow("property: blanks around")
            << 1 << QStringList{" Length ", " Length "} << QList<bool>{true, false};
        QTest::newRow("unit: exact text") << 2 << QStringList{"Metre"} << QList<bool>{false};
        QTest::newRow("unit: hidden unit") << 2 << QStringList{"Rod"} << QList<bool>{false};
        QTest::newRow("unit: letter case")
            << 2 << QStringList{"metre", "METRE", "METRE"} << QList<bool>{true, true, false};
        QTest::newRow("unit: blanks around") << 2 << QStringList{"Metre ", "Metre "} << QList<bool>{true, false};
        QTest::newRow("unit: name of another property's unit") << 2 << QStringList{"Hidden Unit"} << QList<bool>{true};
    }
    void duplicates()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, names);
        QFETCH(QList<bool>, stored);
        TestDatabase db;
        seed(db);
        Window w;
        w.open();
        if (mode == 2)
            w.unitMode();
        const QString table = mode == 1 ? QStringLiteral("tbProperty") : QStringLiteral("tbUnits");
        const QString scope = mode == 1 ? QStringLiteral("propname = ? collate binary")
                                        : QStringLiteral("uname = ? collate binary and PropID = '1015'");
        for (int i = 0; i < names.size(); ++i) {
            const QString sql = QStringLiteral("select count(*) from ") + table;
            const int before = db.scalar(sql).toInt();
            if (mode == 1)
                w.addProperty(names[i], "unit");
            else
                w.addUnit("Length", names[i], "Metre", "2");
            const auto boxes = MessageBox::takeRecords();
            QCOMPARE(db.scalar(sql).toInt(), before + (stored[i] ? 1 : 0));
            QCOMPARE(boxes.size(), stored[i] ? 0 : 1);
            if (!stored[i])
                QCOMPARE(boxes.first().text, mode == 1 ? QStringLiteral("Property name already exsists")
                                                       : QStringLiteral("Unit already exsists for this Property"));
        }
        // Every name is held exactly once in its scope, whether it was stored now or before.
        const QString exact = QStringLiteral("select count(*) from %1 where %2").arg(table, scope);
        for (const QString& name : names)
            QCOMPARE(db.scalar(exact, {name}).toInt(), 1);
    }

    void sameSecondGivesDistinctIdentifiers()
    {
        TestDatabase db;
        seed(db);
        const QString clock = ClockID(FifthAt140709);
        db.addProperty(clock, "Added last month");
        Window w;
        w.open();
        w.addProperty("Speed", "m/s");
        w.addProperty("Pace", "s/m");
        w.unitMode();
        w.addUnit("Length", "Foot", "Metre", "0.3048");
        w.addUnit("Length", "Inch", "Metre", "0.0254");
        QVERIFY(MessageBox::takeRecords().isEmpty());
        const QString next = QString::number(clock.toInt() + 1);
        QCOMPARE(db.scalar("select PropID from tbProperty where propname = 'Speed'").toString(), next);
        QCOMPARE(db.scalar("select UID from tbUnits where uname = 'm/s'").toString(), clock);
        QCOMPARE(db.scalar("select count(distinct PropID) from tbProperty").toInt(), 8);
        QCOMPARE(db.scalar("select count(distinct UID) from tbUnits").toInt(), 10);
        QCOMPARE(db.scalar("select count(distinct UID) from tbUserUnits").toInt(), 4);
        QCOMPARE(db.scalar("select count(distinct PropID) from tbUserProperty").toInt(), 2);
    }

    void typedTextRoundTrips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("SQL") << "O'Brien'; drop table tbUnits; --";
        QTest::newRow("quotes") << "\"quoted\" \\ back`tick` %_";
        QTest::newRow("unicode") << QStringLiteral("Ångström 温度 \U0001F600");
        QTest::newRow("long") << QString(3000, QLatin1Char('x'));
    }
    void typedTextRoundTrips()
    {
        QFETCH(QString, name);
        TestDatabase db;
        seed(db);
        Window w;
        w.open();
        w.addProperty(name, name);
        w.unitMode();
        w.addUnit("Length", name, "Metre", "3");
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QCOMPARE(db.scalar("select count(*) from tbProperty where propname = ?", {name}).toInt(), 1);
        QCOMPARE(db.scalar("select count(*) from tbUnits where uname = ?", {name}).toInt(), 2);
        QCOMPARE(db.scalar("select count(*) from tbUserUnits where uname = ?", {name}).toInt(), 2);

        w.addUnit(name, name, name, "3");
        const auto boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, QStringLiteral("Unit already exsists for this Property"));
        QCOMPARE(w.txtValue()->text(), name);
    }
};

QTEST_MAIN(TestNewValues)
#include "tst_newvalues.moc"
