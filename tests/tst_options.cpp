#include "CatalogueRows.h"
#include "DataTable.h"
#include "Pages.h"
#include "Seeds.h"
#include "ShellPage.h"

#include "app/ChmFile.h"
#include "data/modMain.h"

#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

#include <unistd.h>

namespace {

const QString NoUnitText =
    QStringLiteral("No unit available for this property. To add new unit for this property go to 'Tools' -> 'New'.");
const QString UnitPrompt = QStringLiteral("Select a Property from the list");

using SortedLists::ListView;
using TestKit::entries;

QStringList sortedNames(QStringList names)
{
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    return names;
}

// The first column of every row a query gives.
QStringList firstColumn(TestDatabase& db, const QString& sql)
{
    QStringList column;
    for (const QStringList& row : db.rows(sql))
        column << row.first();
    return column;
}

// The stored name of the property `id`.
QString propertyName(TestDatabase& db, qint32 id)
{
    return db.scalar("select propname from tbProperty where PropID = ?", {QString::number(id)}).toString();
}

// Rows changed by the program's own connection since it opened.
int writesSoFar()
{
    QSqlQuery query(modMain::dbConnection.database());
    if (!query.exec(QStringLiteral("select total_changes()")) || !query.next())
        return -1;
    return query.value(0).toInt();
}

// The options window loaded by the main window, as the program loads it.
class Host : public TestKit::OptionsPage
{
public:
    Host() : OptionsPage(nullptr)
    {
        main.show();
        open();
    }
    frmOptions* open()
    {
        form = main.showChild<frmOptions>();
        return form;
    }

    MDIMain main;
};

// Hides "Mass" and "Foot" and shows "power" and "inch" through the window.
void hideAndShowSome(const Host& host)
{
    QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
    host.selectEntries({"Mass"}, {"power"});
    host.press("cmdHideSel");
    host.chooseUnitKind(QStringLiteral("Length"));
    host.selectEntries({"Foot"}, {"inch"});
    host.press("cmdShowSel");
    QVERIFY(MessageBox::takeRecords().isEmpty());
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        MessageBox::setIntercepting(true);
    }
    void init() { MessageBox::takeRecords(); }

    void layout_data()
    {
        const TestKit::DataTable<QString, QString, QRect> row("name", "caption", "twips");
        row("Frame1", "Frame1", "Select Item", QRect(60, 90, 2535, 825));
        row("rbutProperty", "rbutProperty", "Property", QRect(210, 300, 1185, 315));
        row("rbutUnit", "rbutUnit", "Unit", QRect(1695, 300, 705, 315));
        row("Frame2", "Frame2", "Property", QRect(2760, 90, 9045, 825));
        row("cbProperty", "cbProperty", "", QRect(120, 360, 8835, 315));
        row("lbloutput_0", "lbloutput_0", "Visible Item(s)", QRect(90, 1260, 1545, 285));
        row("lbloutput_1", "lbloutput_1", "Hiden Item(s)", QRect(6630, 1260, 1545, 285));
        row("lst1", "lst1", "", QRect(60, 1590, 5205, 4155));
        row("lst2", "lst2", "", QRect(6660, 1590, 5205, 4155));
        row("cmdHideSel", "cmdHideSel", "-->", QRect(5340, 1710, 1275, 375));
        row("cmdShowSel", "cmdShowSel", "<--", QRect(5340, 2145, 1275, 375));
        row("cmdHideAll", "cmdHideAll", "=>", QRect(5340, 2925, 1275, 375));
        row("cmdShowAll", "cmdShowAll", "<=", QRect(5340, 3360, 1275, 375));
        row("cmdCancel", "cmdCancel", "&Done", QRect(5340, 4140, 1275, 585));
        row("cmdHelp_0", "cmdHelp_0", "", QRect(5580, 4950, 825, 735));
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        frmOptions form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Option - Quantaro"));
        QCOMPARE(form.size(), QSize(ChildForm::px(11880), ChildForm::px(6000)));

        auto* widget = form.findChild<QWidget*>(name);
        QVERIFY(widget);
        const QRect expected(ChildForm::px(twips.x()), ChildForm::px(twips.y()), ChildForm::px(twips.width()),
                             ChildForm::px(twips.height()));
        QCOMPARE(widget->geometry(), expected);
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            QCOMPARE(button->text(), caption);
        else if (auto* frame = qobject_cast<QGroupBox*>(widget))
            QCOMPARE(frame->title(), caption);
        else if (auto* label = qobject_cast<QLabel*>(widget))
            QCOMPARE(label->text(), caption);
    }

    void fontsColoursAndTabOrder()
    {
        frmOptions form;
        const auto fontOf = [&](const char* name) { return form.findChild<QWidget*>(QLatin1String(name))->font(); };
        const auto check = [&](const char* name, const QString& family, qreal points, bool bold) {
            const QFont font = fontOf(name);
            QCOMPARE(font.family(), family);
            QCOMPARE(font.pointSizeF(), points);
            QCOMPARE(font.bold(), bold);
        };
        for (const char* name : {"Frame1", "Frame2", "rbutProperty", "rbutUnit", "cmdCancel"})
            check(name, QStringLiteral("Tahoma"), 9.75, true);
        for (const char* name : {"cmdHideSel", "cmdShowSel", "cmdHideAll", "cmdShowAll"})
            check(name, QStringLiteral("Tahoma"), 14.25, true);
        for (const char* name : {"lbloutput_0", "lbloutput_1"})
            check(name, QStringLiteral("Trebuchet MS"), 11.25, true);
        for (const char* name : {"lst1", "lst2", "cbProperty"})
            check(name, QStringLiteral("MS Sans Serif"), 8.25, false);

        const QColor darkRed(128, 0, 0);
        for (const char* name : {"Frame1", "Frame2"})
            QCOMPARE(form.findChild<QGroupBox*>(QLatin1String(name))->palette().color(QPalette::WindowText), darkRed);
        QVERIFY(form.findChild<QRadioButton*>("rbutUnit")->palette().color(QPalette::WindowText) != darkRed);
        for (const char* name : {"Line1", "Line2"}) {
            auto* rule = form.findChild<QFrame*>(QLatin1String(name));
            QVERIFY(rule);
            QCOMPARE(rule->frameShape(), QFrame::HLine);
            QCOMPARE(rule->palette().color(QPalette::WindowText), QColor(192, 192, 192));
            QCOMPARE(rule->width(), ChildForm::px(11880));
        }
        QCOMPARE(form.findChild<QFrame*>("Line1")->y(), ChildForm::px(1080));
        QCOMPARE(form.findChild<QFrame*>("Line2")->y(), ChildForm::px(5880));
        QVERIFY(!form.findChild<QPushButton*>("cmdHelp_0")->icon().isNull());
        QCOMPARE(form.findChild<QPushButton*>("cmdHelp_0")->accessibleName(), QStringLiteral("Help"));
        QCOMPARE(form.findChild<QLabel*>("lbloutput_0")->buddy(), form.findChild<QWidget*>("lst1"));
        QCOMPARE(form.findChild<QLabel*>("lbloutput_1")->buddy(), form.findChild<QWidget*>("lst2"));

        const QStringList order{"cbProperty", "rbutProperty", "rbutUnit",   "lst1",      "lst2",     "cmdHideSel",
                                "cmdShowSel", "cmdHideAll",   "cmdShowAll", "cmdCancel", "cmdHelp_0"};
        QWidget* current = form.findChild<QWidget*>(order.first());
        for (qsizetype i = 1; i < order.size(); ++i) {
            current = current->nextInFocusChain();
            while (current->focusPolicy() == Qt::NoFocus || current->focusProxy())
                current = current->nextInFocusChain();
            QCOMPARE(current->objectName(), order.at(i));
        }
    }

    void opensWithNoKindChosen()
    {
        On<Host> host(Seeds::flaggedProperties);
        QVERIFY(!host.rbutUnit()->isChecked());
        QVERIFY(!host.rbutProperty()->isChecked());
        QVERIFY(host.cbProperty()->isVisible());
        QCOMPARE(host.cbProperty()->count(), 0);
        QCOMPARE(host.lst1()->count(), 0);
        QCOMPARE(host.lst2()->count(), 0);
        QCOMPARE(host.form->itemKind(), frmOptions::Kind::Unit);
        QCOMPARE(host.lst1()->selectionMode(), QAbstractItemView::MultiSelection);
        QCOMPARE(host.lst2()->selectionMode(), QAbstractItemView::MultiSelection);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void clickTogglesEntries()
    {
        On<Host> host(Seeds::flaggedProperties);
        QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        host.selectEntries({"area", "Mass"}, {"Speed"});
        QCOMPARE(host.lst1()->selectedRows().size(), 2);
        QCOMPARE(host.lst2()->selectedRows().size(), 1);
        host.clickEntry(host.lst1(), QStringLiteral("area"));
        QCOMPARE(host.lst1()->selectedRows().size(), 1);
        QCOMPARE(host.lst1()->text(host.lst1()->selectedRow()), QStringLiteral("Mass"));
    }

    void typeAheadKeepsSelection_data()
    {
        const TestKit::DataTable<QStringList> row("selected");
        row("nothing selected", QStringList{});
        row("one selected", QStringList{"Furlong"});
        row("the typed entry selected", QStringList{"Foot", "Furlong"});
    }

    // Typing a name moves the current entry only; "-->" then moves what was clicked.
    void typeAheadKeepsSelection()
    {
        QFETCH(QStringList, selected);
        On<Host> host([](TestDatabase& db) {
            TestKit::addRows(db, {{"1", "Fathom"}, {"2", "Foot"}, {"3", "Furlong"}});
        });
        QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        host.selectEntries(selected, {});
        ListView* list = host.lst1();
        list->setFocus();
        QTest::keyClicks(list, QStringLiteral("Foot"));
        QCOMPARE(list->text(list->currentIndex().row()), QStringLiteral("Foot"));
        QStringList kept;
        for (const int row : list->selectedRows())
            kept << list->text(row);
        QCOMPARE(kept, selected);
        host.press("cmdHideSel");
        QCOMPARE(entries(host.lst2()), selected);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void unitKindPromptsEveryTime()
    {
        On<Host> host(Seeds::flaggedProperties);
        for (int round = 0; round < 2; ++round) {
            QTest::mouseClick(host.rbutUnit(), Qt::LeftButton);
            const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
            QCOMPARE(boxes.size(), 1);
            QCOMPARE(boxes.first().text, UnitPrompt);
            QCOMPARE(boxes.first().style, 64);
            QCOMPARE(boxes.first().title, QStringLiteral("Quantaro - Veltrin Tech"));
            QCOMPARE(host.form->itemKind(), frmOptions::Kind::Unit);
            QVERIFY(host.cbProperty()->isVisible());
            QCOMPARE(entries(host.cbProperty()), sortedNames({"area", "Distance", "Length", "Mass"}));
            QCOMPARE(host.cbProperty()->currentIndex(), -1);
            QCOMPARE(host.cbProperty()->currentText(), QStringLiteral("Select a Property"));
            QCOMPARE(host.lst1()->count(), 0);
            for (int i = 0; i < host.cbProperty()->count(); ++i)
                QCOMPARE(propertyName(host.db, host.cbProperty()->itemData(i).toInt()), host.cbProperty()->itemText(i));
            QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
            QVERIFY(MessageBox::takeRecords().isEmpty());
        }
    }

    void propertyKindSplitsByFlag()
    {
        On<Host> host(Seeds::flaggedProperties);
        host.chooseUnitKind(QStringLiteral("Length"));
        QVERIFY(host.lst1()->count() > 0);
        QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        QCOMPARE(host.form->itemKind(), frmOptions::Kind::Property);
        QVERIFY(!host.cbProperty()->isVisible());
        QCOMPARE(host.cbProperty()->count(), 0);
        QCOMPARE(entries(host.lst1()), sortedNames({"area", "Distance", "Length", "Mass"}));
        QCOMPARE(entries(host.lst2()), sortedNames({"power", "Speed"}));
        for (ListView* list : {host.lst1(), host.lst2()})
            for (int i = 0; i < list->count(); ++i)
                QCOMPARE(propertyName(host.db, list->itemData(i)), list->text(i));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void pickingListsUnits_data()
    {
        const TestKit::DataTable<QString, QStringList, QStringList> row("property", "visible", "hidden");
        row("own units", "Length", QStringList{"Foot", "metre"}, QStringList{"inch", "Yard"});
        row("borrowed units", "Distance", QStringList{"Foot", "metre"}, QStringList{"inch", "Yard"});
        row("no units", "area", QStringList{}, QStringList{});
        row("visible only", "Mass", QStringList{"gram"}, QStringList{});
    }

    void pickingListsUnits()
    {
        QFETCH(QString, property);
        QFETCH(QStringList, visible);
        QFETCH(QStringList, hidden);
        On<Host> host(Seeds::flaggedProperties);
        QTest::mouseClick(host.rbutUnit(), Qt::LeftButton);
        MessageBox::takeRecords();
        host.pickProperty(property);
        QCOMPARE(host.cbProperty()->currentText(), property);
        QCOMPARE(entries(host.lst1()), visible);
        QCOMPARE(entries(host.lst2()), hidden);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void unreadableRowKeepsEarlierEntries_data()
    {
        const TestKit::DataTable<bool, QString> row("unitKind", "message");
        row("units", true, NoUnitText);
        row("properties", false, "Run-time error '94':");
    }

    // The rows before a row without a name are listed, in alphabetical order, and
    // the rows after it are not. Visible rows are stored first, so that the rows
    // come in the stored order whether or not the query walks the flag index.
    void unreadableRowKeepsEarlierEntries()
    {
        QFETCH(bool, unitKind);
        QFETCH(QString, message);
        TestDatabase db;
        // Identifier, name and flag of each row, in the order they are stored.
        const QList<QVariantList> rows{{"1", "Zeta", "0"},  {"3", "Beta", "0"},     {"4", "beta", "0"},
                                       {"2", "alpha", "1"}, {"5", QVariant(), "1"}, {"6", "Omega", "1"}};
        if (unitKind)
            db.addProperty(QStringLiteral("1"), QStringLiteral("Length"));
        for (const QVariantList& row : rows)
            db.exec(unitKind ? "insert into tbUnits values (?, ?, 1, '1', ?)"
                             : "insert into tbProperty values (?, ?, ?)",
                    row);
        db.openShared();
        Host host;
        if (unitKind) {
            QTest::mouseClick(host.rbutUnit(), Qt::LeftButton);
            QCOMPARE(MessageBox::takeRecords().size(), 1);
            host.pickProperty(QStringLiteral("Length"));
        } else {
            QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        }

        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().text.startsWith(message), qPrintable(boxes.first().text));
        QCOMPARE(entries(host.lst1()), QStringList({"Beta", "beta", "Zeta"}));
        // Equal names keep the order they came in.
        QCOMPARE(host.lst1()->itemData(0), 3);
        QCOMPARE(host.lst1()->itemData(1), 4);
        QCOMPARE(entries(host.lst2()), QStringList{"alpha"});
    }

    void refreshWithoutPickedProperty_data()
    {
        const TestKit::DataTable<QString> row("typed");
        row("nothing picked", QString());
        row("picked, then typed over", "Lengthy");
    }

    void refreshWithoutPickedProperty()
    {
        QFETCH(QString, typed);
        On<Host> host(Seeds::flaggedProperties);
        if (typed.isEmpty()) {
            QTest::mouseClick(host.rbutUnit(), Qt::LeftButton);
            MessageBox::takeRecords();
        } else {
            host.chooseUnitKind(QStringLiteral("Length"));
            host.cbProperty()->lineEdit()->selectAll();
            QTest::keyClicks(host.cbProperty()->lineEdit(), typed);
        }
        const int before = writesSoFar();
        host.press("cmdHideSel");
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, NoUnitText);
        QCOMPARE(boxes.first().style, 0);
        QCOMPARE(boxes.first().title, QStringLiteral("Quantaro"));
        QCOMPARE(writesSoFar(), before);
        QCOMPARE(host.lst1()->count(), 0);
        QCOMPARE(host.lst2()->count(), 0);
    }

    void moveProperties_data()
    {
        const TestKit::DataTable<QString, QStringList, QStringList, QStringList> row("button", "selectVisible",
                                                                                     "selectHidden", "hiddenAfter");
        // Before: visible area, Distance, Length, Mass; hidden power, Speed.
        const QStringList all{"area", "Distance", "Length", "Mass", "power", "Speed"};
        const QStringList vis{"area", "Mass"};
        const QStringList hid{"Speed"};
        for (const char* arrow : {"cmdHideSel", "cmdShowSel"}) {
            const QString b = QLatin1String(arrow);
            QTest::addRow("%s none", arrow) << b << QStringList{} << QStringList{} << QStringList{"power", "Speed"};
            QTest::addRow("%s visible", arrow)
                << b << vis << QStringList{} << QStringList{"area", "Mass", "power", "Speed"};
            QTest::addRow("%s hidden", arrow) << b << QStringList{} << hid << QStringList{"power"};
            QTest::addRow("%s both", arrow) << b << vis << hid << QStringList{"area", "Mass", "power"};
        }
        const QString hideAll = QStringLiteral("cmdHideAll");
        row("=> none", hideAll, QStringList{}, QStringList{}, all);
        row("=> visible", hideAll, vis, QStringList{}, all);
        row("=> hidden", hideAll, QStringList{}, hid, QStringList{"area", "Distance", "Length", "Mass", "power"});
        row("=> both", hideAll, vis, hid, QStringList{"area", "Distance", "Length", "Mass", "power"});
        const QString showAll = QStringLiteral("cmdShowAll");
        row("<= none", showAll, QStringList{}, QStringList{}, QStringList{});
        row("<= visible", showAll, vis, QStringList{}, QStringList{"area", "Mass"});
        row("<= hidden", showAll, QStringList{}, hid, QStringList{});
        row("<= both", showAll, vis, hid, QStringList{"area", "Mass"});
    }

    void moveProperties()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, selectVisible);
        QFETCH(QStringList, selectHidden);
        QFETCH(QStringList, hiddenAfter);
        On<Host> host(Seeds::flaggedProperties);
        QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        const QStringList visibleBefore = entries(host.lst1());
        const QStringList hiddenBefore = entries(host.lst2());
        host.selectEntries(selectVisible, selectHidden);
        const int before = writesSoFar();

        host.press(button.toLatin1().constData());

        // One update for each entry that changed sides.
        int changed = 0;
        for (const QString& name : visibleBefore)
            changed += hiddenAfter.contains(name);
        for (const QString& name : hiddenBefore)
            changed += !hiddenAfter.contains(name);
        QCOMPARE(writesSoFar() - before, changed);
        QCOMPARE(
            firstColumn(host.db, "select propname from tbProperty where propDF = '1' order by propname collate nocase"),
            hiddenAfter);
        QCOMPARE(host.db.scalar("select propDF from tbProperty where PropID = '15'").toString(), QStringLiteral("2"));

        QCOMPARE(entries(host.lst2()), hiddenAfter);
        QStringList visibleAfter = visibleBefore + hiddenBefore;
        for (const QString& name : hiddenAfter)
            visibleAfter.removeAll(name);
        QCOMPARE(entries(host.lst1()), sortedNames(visibleAfter));
        QVERIFY(host.lst1()->selectedRows().isEmpty());
        QVERIFY(host.lst2()->selectedRows().isEmpty());
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QCOMPARE(host.form->moveCode(),
                 quint8(QStringList({"cmdHideSel", "cmdShowSel", "cmdHideAll", "cmdShowAll"}).indexOf(button)));
    }

    void moveUnits_data()
    {
        const TestKit::DataTable<QString, QStringList, QStringList, QStringList> row("button", "selectVisible",
                                                                                     "selectHidden", "hiddenAfter");
        // Before: visible Foot, metre; hidden inch, Yard.
        row("--> none", "cmdHideSel", QStringList{}, QStringList{}, QStringList{"inch", "Yard"});
        row("<-- visible", "cmdShowSel", QStringList{"metre"}, QStringList{}, QStringList{"inch", "metre", "Yard"});
        row("--> hidden", "cmdHideSel", QStringList{}, QStringList{"inch"}, QStringList{"Yard"});
        row("<-- both", "cmdShowSel", QStringList{"metre"}, QStringList{"Yard"}, QStringList{"inch", "metre"});
        row("=> hidden", "cmdHideAll", QStringList{}, QStringList{"Yard"}, QStringList{"Foot", "inch", "metre"});
        row("<= visible", "cmdShowAll", QStringList{"Foot"}, QStringList{}, QStringList{"Foot"});
    }

    void moveUnits()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, selectVisible);
        QFETCH(QStringList, selectHidden);
        QFETCH(QStringList, hiddenAfter);
        On<Host> host(Seeds::flaggedProperties);
        host.chooseUnitKind(QStringLiteral("Length"));
        host.selectEntries(selectVisible, selectHidden);

        host.press(button.toLatin1().constData());

        QCOMPARE(firstColumn(host.db, "select uname from tbUnits where df = '1' order by uname collate nocase"),
                 hiddenAfter);
        QCOMPARE(host.db.scalar("select df from tbUnits where UID = '5'").toString(), QStringLiteral("x"));
        // The refill lists the picked property's units again, without the kind's prompt.
        QCOMPARE(host.cbProperty()->currentText(), QStringLiteral("Length"));
        QCOMPARE(entries(host.lst2()), hiddenAfter);
        QCOMPARE(host.lst1()->count() + host.lst2()->count(), 4);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void wholeListButtonsOnEmptySource_data()
    {
        const TestKit::DataTable<QString, QString, QString> row("button", "startFlag", "otherFlag");
        row("=> with every item hidden", "cmdHideAll", "1", "0");
        row("<= with every item visible", "cmdShowAll", "0", "1");
    }

    // A move refills both lists from the catalogue: no entry stays selected, each
    // entry carries its own row's identifier, and the next selection moves the
    // rows it names, whatever place the refill gave them.
    void selectionAcrossRefill()
    {
        On<Host> host(Seeds::flaggedProperties);
        host.chooseUnitKind(QStringLiteral("Length"));
        host.selectEntries({QStringLiteral("metre"), QStringLiteral("Foot")}, {QStringLiteral("inch")});
        host.press("cmdHideSel");
        QCOMPARE(entries(host.lst1()), QStringList{QStringLiteral("inch")});
        QCOMPARE(entries(host.lst2()),
                 (QStringList{QStringLiteral("Foot"), QStringLiteral("metre"), QStringLiteral("Yard")}));
        for (const ListView* list : {host.lst1(), host.lst2()}) {
            QVERIFY(list->selectedRows().isEmpty());
            for (int row = 0; row < list->count(); ++row)
                QCOMPARE(
                    host.db
                        .scalar(QStringLiteral("select uname from tbUnits where UID = '%1'").arg(list->itemData(row)))
                        .toString(),
                    list->text(row));
        }

        host.selectEntries({}, {QStringLiteral("metre"), QStringLiteral("Yard")});
        QCOMPARE(host.lst2()->selectedRows(), (QList<int>{1, 2}));
        host.press("cmdShowSel");
        QCOMPARE(host.db.scalar("select df from tbUnits where UID = '1'").toString(), QStringLiteral("0"));
        QCOMPARE(host.db.scalar("select df from tbUnits where UID = '4'").toString(), QStringLiteral("0"));
        QCOMPARE(host.db.scalar("select df from tbUnits where UID = '2'").toString(), QStringLiteral("1"));
        QCOMPARE(entries(host.lst1()),
                 (QStringList{QStringLiteral("inch"), QStringLiteral("metre"), QStringLiteral("Yard")}));
        QVERIFY(host.lst1()->selectedRows().isEmpty());
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void wholeListButtonsOnEmptySource()
    {
        QFETCH(QString, button);
        QFETCH(QString, startFlag);
        QFETCH(QString, otherFlag);
        On<Host> host([&](TestDatabase& db) {
            TestKit::addRows(db, {{"1", "Alpha", startFlag}, {"2", "Beta", startFlag}, {"3", "Gamma", startFlag}});
        });
        QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        ListView* filled = startFlag == QLatin1String("1") ? host.lst2() : host.lst1();
        QCOMPARE(filled->count(), 3);
        host.clickEntry(filled, QStringLiteral("Beta"));
        const int before = writesSoFar();

        host.press(button.toLatin1().constData());

        QCOMPARE(writesSoFar() - before, 1);
        QCOMPARE(host.db.scalar("select propDF from tbProperty where PropID = '2'").toString(), otherFlag);
        QCOMPARE(host.db.scalar("select count(*) from tbProperty where propDF = ?", {startFlag}).toInt(), 2);
        QCOMPARE(entries(filled), QStringList({"Alpha", "Gamma"}));
    }

    void hidingPropertyKeepsUnitFlags()
    {
        SeededDatabase catalogue(Seeds::flaggedProperties);
        const QList<QStringList> unitsBefore = catalogue.db.rows("select * from tbUnits order by UID");
        Host host;
        QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        host.selectEntries({"Length"}, {});
        host.press("cmdHideSel");
        QCOMPARE(catalogue.db.scalar("select propDF from tbProperty where PropID = '1012'").toString(),
                 QStringLiteral("1"));
        QCOMPARE(catalogue.db.rows("select * from tbUnits order by UID"), unitsBefore);
        // The hidden property is no longer offered for managing its units.
        QTest::mouseClick(host.rbutUnit(), Qt::LeftButton);
        QVERIFY(!entries(host.cbProperty()).contains(QStringLiteral("Length")));
        QVERIFY(entries(host.cbProperty()).contains(QStringLiteral("Distance")));
    }

    void borrowedUnitHiddenForEveryBorrower()
    {
        SeededDatabase catalogue(Seeds::flaggedProperties);
        QCOMPARE(catalogue.db.scalar("select count(*) from tbUnits where PropID = '1020'").toInt(), 0);
        Host host;
        host.chooseUnitKind(QStringLiteral("Distance"));
        host.selectEntries({"Foot"}, {});
        host.press("cmdHideSel");
        QCOMPARE(catalogue.db.scalar("select df from tbUnits where UID = '2'").toString(), QStringLiteral("1"));
        QVERIFY(entries(host.lst2()).contains(QStringLiteral("Foot")));

        host.pickProperty(QStringLiteral("Length"));
        QCOMPARE(entries(host.lst1()), QStringList{"metre"});
        QCOMPARE(entries(host.lst2()), QStringList({"Foot", "inch", "Yard"}));
    }

    void oddFlagListedNowhere_data()
    {
        QTest::addColumn<bool>("unitKind");
        QTest::addColumn<QVariant>("flag");
        for (const bool unitKind : {false, true}) {
            const char* kind = unitKind ? "unit" : "property";
            QTest::addRow("%s, empty", kind) << unitKind << QVariant(QStringLiteral(""));
            QTest::addRow("%s, NULL", kind) << unitKind << QVariant();
            QTest::addRow("%s, 2", kind) << unitKind << QVariant(QStringLiteral("2"));
            QTest::addRow("%s, blank and 0", kind) << unitKind << QVariant(QStringLiteral(" 0"));
        }
    }

    void oddFlagListedNowhere()
    {
        QFETCH(bool, unitKind);
        QFETCH(QVariant, flag);
        const auto strange = [&](TestDatabase& db) {
            db.exec("insert into tbProperty values ('77', 'Strange', ?)", {flag});
            db.exec("insert into tbUnits values ('77', 'Strange', 1, '1012', ?)", {flag});
        };
        On<Host> host(Seeds::flaggedProperties, strange);
        if (unitKind)
            host.chooseUnitKind(QStringLiteral("Length"));
        else
            QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        QVERIFY(host.lst1()->count() > 0);
        QVERIFY(host.lst1()->findRow(QStringLiteral("Strange")) < 0);
        QVERIFY(host.lst2()->findRow(QStringLiteral("Strange")) < 0);
        QCOMPARE(entries(host.cbProperty()).contains(QStringLiteral("Strange")), false);

        host.press("cmdHideAll");
        host.press("cmdShowAll");
        const QString table =
            unitKind ? QStringLiteral("tbUnits where UID") : QStringLiteral("tbProperty where PropID");
        const QString column = unitKind ? QStringLiteral("df") : QStringLiteral("propDF");
        const QList<QStringList> row = host.db.rows(QStringLiteral("select %1 from %2 = '77'").arg(column, table));
        QCOMPARE(row.size(), 1);
        QCOMPARE(row.first().first(), flag.isNull() ? QStringLiteral("<NULL>") : flag.toString());
        QCOMPARE(host.lst2()->count(), 0);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void flagsReadBackAfterReopen()
    {
        On<Host> host(Seeds::flaggedProperties);
        QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        host.selectEntries({"area"}, {"power"});
        host.press("cmdHideSel");
        const QStringList visible = entries(host.lst1());
        const QStringList hidden = entries(host.lst2());

        host.press("cmdCancel");
        QVERIFY(host.form->isHidden());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(host.form.isNull());
        // The converter the main window opens at start-up stays; the options frame is gone.
        QVERIFY(!host.main.findChild<QMdiSubWindow*>(QStringLiteral("frmOptionsFrame")));

        host.open();
        QVERIFY(!host.rbutUnit()->isChecked());
        QVERIFY(!host.rbutProperty()->isChecked());
        // A move before any kind is chosen writes nothing and only empties the lists.
        const int before = writesSoFar();
        host.press("cmdHideAll");
        QCOMPARE(writesSoFar(), before);
        QVERIFY(MessageBox::takeRecords().isEmpty());

        QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        QCOMPARE(entries(host.lst1()), visible);
        QCOMPARE(entries(host.lst2()), hidden);
        QVERIFY(hidden.contains(QStringLiteral("area")));
        QVERIFY(visible.contains(QStringLiteral("power")));
    }

    void readOnlyDatabase_data()
    {
        const TestKit::DataTable<bool, QStringList, QStringList, QString> row("unitKind", "selectVisible",
                                                                              "selectHidden", "failing");
        row("properties", false, QStringList{"Mass", "area"}, QStringList{"Speed"}, "area");
        row("units", true, QStringList{"metre"}, QStringList{"inch"}, "metre");
        row("only hidden selected", true, QStringList{}, QStringList{"Yard"}, "Yard");
    }

    void readOnlyDatabase()
    {
        QFETCH(bool, unitKind);
        QFETCH(QStringList, selectVisible);
        QFETCH(QStringList, selectHidden);
        QFETCH(QString, failing);
        TestDatabase db;
        Seeds::flaggedProperties(db);
        const QList<QStringList> propertiesBefore = db.rows("select * from tbProperty order by PropID");
        const QList<QStringList> unitsBefore = db.rows("select * from tbUnits order by UID");
        QVERIFY(QFile::setPermissions(db.path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        db.openShared();
        // The superuser writes to read-only files; make the connection itself refuse.
        if (geteuid() == 0)
            QSqlQuery(modMain::dbConnection.database()).exec(QStringLiteral("PRAGMA query_only = ON"));

        Host host;
        if (unitKind)
            host.chooseUnitKind(QStringLiteral("Length"));
        else
            QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        const QStringList visible = entries(host.lst1());
        const QStringList hidden = entries(host.lst2());
        host.selectEntries(selectVisible, selectHidden);

        host.press("cmdHideSel");

        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().style, 16);
        QCOMPARE(boxes.first().title, QStringLiteral("Quantaro - Veltrin Tech"));
        QVERIFY2(boxes.first().text.contains(QStringLiteral("\"%1\"").arg(failing)), qPrintable(boxes.first().text));
        QVERIFY2(boxes.first().text.contains(QStringLiteral("readonly"), Qt::CaseInsensitive),
                 qPrintable(boxes.first().text));
        QCOMPARE(db.rows("select * from tbProperty order by PropID"), propertiesBefore);
        QCOMPARE(db.rows("select * from tbUnits order by UID"), unitsBefore);
        QCOMPARE(entries(host.lst1()), visible);
        QCOMPARE(entries(host.lst2()), hidden);
        QVERIFY(host.lst1()->selectedRows().isEmpty());
        QVERIFY(QFile::setPermissions(db.path(), QFile::ReadOwner | QFile::WriteOwner));
    }

    void rowDeletedDuringMove()
    {
        On<Host> host(Seeds::flaggedProperties);
        QTest::mouseClick(host.rbutProperty(), Qt::LeftButton);
        host.selectEntries({"area", "Length", "Mass"}, {"Speed"});
        // Another program removes a listed row while the window shows it.
        host.db.exec("delete from tbProperty where PropID = '1012'");

        host.press("cmdShowSel");

        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().style, 16);
        QCOMPARE(boxes.first().title, QStringLiteral("Quantaro - Veltrin Tech"));
        QVERIFY2(boxes.first().text.contains(QStringLiteral("\"Length\"")), qPrintable(boxes.first().text));
        QVERIFY(!boxes.first().text.contains(QStringLiteral("\"area\"")));
        QCOMPARE(host.db.scalar("select propDF from tbProperty where PropID = '11'").toString(), QStringLiteral("1"));
        QCOMPARE(host.db.scalar("select propDF from tbProperty where PropID = '12'").toString(), QStringLiteral("1"));
        QCOMPARE(host.db.scalar("select propDF from tbProperty where PropID = '14'").toString(), QStringLiteral("0"));
        QCOMPARE(entries(host.lst1()), sortedNames({"Distance", "Speed"}));
        QCOMPARE(entries(host.lst2()), sortedNames({"area", "Mass", "power"}));
    }

    void activateMovesToCorner()
    {
        On<Host> host;
        QMdiSubWindow* frame = host.form->subWindow();
        QVERIFY(frame);
        frame->move(200, 150);
        host.form->Form_Activate();
        QCOMPARE(frame->pos(), QPoint(ChildForm::px(5), ChildForm::px(5)));
    }

    void helpFailureText()
    {
        // Help is opened by the main window, which the options window asks.
        On<Host> host;
        const QString library = ChmFile::libraryName();
        ChmFile::setLibraryName(QStringLiteral("quantaro-no-such-chmlib"));
        host.press("cmdHelp_0");
        ChmFile::setLibraryName(library);
        const QList<MessageBox::Record> boxes = MessageBox::takeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, QStringLiteral("There Was An Error Opning the Help File."));
        QCOMPARE(boxes.first().style, 16);
        QCOMPARE(boxes.first().title, QStringLiteral("Quantaro - Veltrin Tech"));
    }

    void converterHonoursFlags()
    {
        On<Host> host(Seeds::flaggedProperties);
        QPointer<frmUnitConv> converter = host.main.showChild<frmUnitConv>();
        auto* properties = converter->findChild<QComboBox*>("cbProperty");
        QVERIFY(entries(properties).contains(QStringLiteral("Mass")));

        hideAndShowSome(host);
        if (QTest::currentTestFailed())
            return;

        // An open converter keeps its property list, and meets unit changes at its next pick.
        QVERIFY(entries(properties).contains(QStringLiteral("Mass")));
        for (const QString& property : {QStringLiteral("Length"), QStringLiteral("Distance")}) {
            Host::choose(properties, property);
            QCOMPARE(entries(converter->findChild<ListView*>("lstUnitFrm")), QStringList({"inch", "metre"}));
            QCOMPARE(entries(converter->findChild<ListView*>("lstUnitTo")), QStringList({"inch", "metre"}));
        }

        // Loaded again, it lists the visible properties only.
        converter->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(converter.isNull());
        converter = host.main.showChild<frmUnitConv>();
        properties = converter->findChild<QComboBox*>("cbProperty");
        QCOMPARE(entries(properties), sortedNames({"area", "Distance", "Length", "power"}));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void newValuesBaseUnitsHonourFlags()
    {
        On<Host> host(Seeds::flaggedProperties);
        hideAndShowSome(host);
        if (QTest::currentTestFailed())
            return;

        auto* newValues = host.main.showChild<frmNew>();
        QTest::mouseClick(newValues->findChild<QRadioButton*>("rdBtn_2"), Qt::LeftButton);
        MessageBox::takeRecords();
        auto* properties = newValues->findChild<QComboBox*>("cbProperty");
        // The property list of the New Values window ignores the flags.
        QVERIFY(entries(properties).contains(QStringLiteral("Mass")));
        for (const QString& property : {QStringLiteral("Length"), QStringLiteral("Distance")}) {
            Host::choose(properties, property);
            QCOMPARE(entries(newValues->findChild<QComboBox*>("cbUnit")), QStringList({"inch", "metre"}));
        }
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void openedFromMenuAndConverter()
    {
        SeededDatabase catalogue(Seeds::flaggedProperties);
        const TestKit::ShellPage shell;
        const MDIMain& mainWindow = shell.main;
        frmUnitConv* converter = mainWindow.loadedChild<frmUnitConv>();
        QVERIFY(converter);

        // Tools > Options leaves the converter open.
        shell.trigger("mnuOption");
        QPointer<frmOptions> options = mainWindow.loadedChild<frmOptions>();
        QVERIFY(options);
        QVERIFY(options->isVisible());
        QCOMPARE(options->subWindow()->windowTitle(), QStringLiteral("Option - Quantaro"));
        QCOMPARE(options->subWindow()->pos(), QPoint(ChildForm::px(5), ChildForm::px(5)));
        QCOMPARE(mainWindow.loadedChild<frmUnitConv>(), converter);
        QTest::mouseClick(options->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(options.isNull());
        QVERIFY(!mainWindow.loadedChild<frmOptions>());

        // The converter's "&Options" opens the window and closes the converter.
        QTest::mouseClick(converter->findChild<QPushButton*>("Command2"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!mainWindow.loadedChild<frmUnitConv>());
        options = mainWindow.loadedChild<frmOptions>();
        QVERIFY(options);
        QVERIFY(options->isVisible());
        QVERIFY(!options->findChild<QRadioButton*>("rbutUnit")->isChecked());
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
