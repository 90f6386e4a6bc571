#include "CatalogueRows.h"
#include "DataTable.h"
#include "ShellPage.h"

#include <QAccessible>
#include <QFile>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <memory>

namespace {

using namespace TestKit;

// What the accessibility layer was told while a test ran.
struct Announcement
{
    QObject* object;
    QAccessible::Event type;
    QString text;
};

QList<Announcement>& announcements()
{
    static QList<Announcement> caught;
    return caught;
}

void catchAnnouncement(QAccessibleEvent* event)
{
    QString text;
    if (event->type() == QAccessible::TextUpdated)
        text = static_cast<QAccessibleTextUpdateEvent*>(event)->textInserted();
    else if (event->type() == QAccessible::TextInserted)
        text = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
    else if (event->type() == QAccessible::ValueChanged)
        text = static_cast<QAccessibleValueChangeEvent*>(event)->value().toString();
    announcements().append({event->object(), event->type(), text});
}

// What a screen reader announces a control by: its name, or for an editable
// combo (whose name on this platform is its text) the label it is labelled by,
// else the frame it sits in.
QString accessibleName(QWidget* widget)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    if (!iface)
        return QString();
    if (iface->role() != QAccessible::ComboBox)
        return iface->text(QAccessible::Name);
    const auto labels = iface->relations(QAccessible::Label);
    for (const auto& relation : labels)
        if (relation.first->role() == QAccessible::StaticText)
            return relation.first->text(QAccessible::Name);
    return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
}

QAccessible::Role accessibleRole(QWidget* widget)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->role() : QAccessible::NoRole;
}

// The help page's text without its markup, blanks run together.
QString helpText()
{
    QFile page(QStringLiteral(QUANTARO_SOURCE_DIR "/help/TSHelp.htm"));
    if (!page.open(QIODevice::ReadOnly))
        return QString();
    QTextDocument document;
    document.setHtml(QString::fromUtf8(page.readAll()));
    return document.toPlainText().simplified();
}

} // namespace

class TestAccess : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        MessageBox::setIntercepting(true);
        // As a screen reader's bridge does, so that widgets report their changes.
        QAccessible::installUpdateHandler(catchAnnouncement);
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QVERIFY(QAccessible::isActive());
    }

    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        addRows(*m_db, {{"1015", "Length"}}, {{"11", "Metre", 1, "1015"}, {"12", "Centimetre", 100, "1015"}});
        m_db->openShared();
        MessageBox::takeRecords();
        announcements().clear();
    }

    void cleanup()
    {
        m_db.reset();
        MessageBox::takeRecords();
    }

    void namesAndRoles_data()
    {
        const TestKit::DataTable<QString, QString, int, QString> table("window", "control", "role", "name");
        const auto row = [&table](const char* window, const char* control, QAccessible::Role role, const char* name) {
            table(qPrintable(QStringLiteral("%1 %2").arg(window, control)), window, control, role, name);
        };
        row("frmUnitConv", "cbProperty", QAccessible::ComboBox, "Property");
        row("frmUnitConv", "txtInput", QAccessible::EditableText, "Value");
        row("frmUnitConv", "txtOutput", QAccessible::EditableText, "Output");
        row("frmUnitConv", "lstUnitFrm", QAccessible::List, "Unit From");
        row("frmUnitConv", "lstUnitTo", QAccessible::List, "Unit To");
        row("frmUnitConv", "cmdSwap", QAccessible::Button, "Swap");
        row("frmUnitConv", "cmdHelp_0", QAccessible::Button, "Help");
        row("frmNew", "rdBtn_1", QAccessible::RadioButton, "Property");
        row("frmNew", "txtValue", QAccessible::EditableText, "Property Name");
        row("frmNew", "txtUnitValue", QAccessible::EditableText, "Base Unit");
        row("frmNew", "cmdCalc", QAccessible::Button, "Add");
        row("frmNew", "cmdHelp_0", QAccessible::Button, "Help");
        row("frmOptions", "cbProperty", QAccessible::ComboBox, "Property");
        row("frmOptions", "lst1", QAccessible::List, "Visible Item(s)");
        row("frmOptions", "lst2", QAccessible::List, "Hiden Item(s)");
        row("frmOptions", "cmdHideSel", QAccessible::Button, "Move selected to the other list");
        row("frmOptions", "cmdShowSel", QAccessible::Button, "Move selected to the other list");
        row("frmOptions", "cmdHideAll", QAccessible::Button, "Hide all");
        row("frmOptions", "cmdShowAll", QAccessible::Button, "Show all");
        row("frmOptions", "cmdHelp_0", QAccessible::Button, "Help");
    }

    void namesAndRoles()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);

        const std::unique_ptr<ChildForm> form = openWindow(window);
        auto* widget = form->findChild<QWidget*>(control);
        QVERIFY(widget);
        QCOMPARE(int(accessibleRole(widget)), role);
        QCOMPARE(accessibleName(widget), name);
    }

    void everyControlHasAName_data()
    {
        const TestKit::DataTable<QString> row("window");
        row("converter", "frmUnitConv");
        row("new values", "frmNew");
        row("options", "frmOptions");
    }

    // Whatever the keyboard can reach is announced by a name, never as a bare "list" or "button".
    void everyControlHasAName()
    {
        QFETCH(QString, window);
        const std::unique_ptr<ChildForm> form = openWindow(window);
        int reachable = 0;
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            if (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(form.get()) || widget->focusProxy() ||
                qobject_cast<QComboBox*>(widget->parentWidget()))
                continue;
            ++reachable;
            QVERIFY2(!accessibleName(widget).trimmed().isEmpty(), qPrintable(widget->objectName()));
        }
        QVERIFY(reachable >= 6);
    }

    // The boxes of the New Values window are announced by their row's caption in either mode.
    void newValuesNamesFollowTheMode()
    {
        const std::unique_ptr<ChildForm> form = openWindow("frmNew");
        const auto name = [&form](const char* box) { return accessibleName(control<QWidget>(form.get(), box)); };
        QTest::mouseClick(control<QRadioButton>(form.get(), "rdBtn_2"), Qt::LeftButton);
        QCOMPARE(MessageBox::takeRecords().size(), 1);
        QCOMPARE(name("txtValue"), QString("Unit Name"));
        QCOMPARE(name("txtUnitValue"), QString("Factor"));
        QCOMPARE(name("cbUnit"), QString("Base Unit"));
        QCOMPARE(name("cbProperty"), QString("Property"));

        QTest::mouseClick(control<QRadioButton>(form.get(), "rdBtn_1"), Qt::LeftButton);
        QCOMPARE(name("txtValue"), QString("Property Name"));
        QCOMPARE(name("txtUnitValue"), QString("Base Unit"));
    }

    // A screen reader learns of each result the moment a conversion writes it.
    void outputChangeIsAnnounced()
    {
        const ConverterPage converter;
        QVERIFY(chooseEntry(converter.combo(), "Length"));
        QLineEdit* output = converter.output();
        QTest::keyClicks(converter.input(), "3");
        QVERIFY(clickEntry(converter.to(), "Centimetre"));
        QCOMPARE(MessageBox::takeRecords().size(), 1); // "Select Unit From"
        announcements().clear();

        QVERIFY(clickEntry(converter.from(), "Metre"));
        QCOMPARE(output->text(), QString("300"));
        const auto saidOfOutput = [output](const QString& text) {
            for (const Announcement& said : announcements())
                if (said.object == output && said.text == text &&
                    (said.type == QAccessible::TextUpdated || said.type == QAccessible::TextInserted ||
                     said.type == QAccessible::ValueChanged))
                    return true;
            return false;
        };
        QVERIFY(saidOfOutput("300"));

        announcements().clear();
        converter.press("cmdSwap");
        QCOMPARE(output->text(), QString("0.03"));
        QVERIFY(saidOfOutput("0.03"));
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }
    void helpExamples_data()
    {
        const TestKit::DataTable<QString, QString, QString, QString, QString> row("unit", "base", "factor", "target",
                                                                                  "result");
        row("Cubit", "Cubit", "Metre", "0.4572", "Metre", "0.4572");
        row("Span", "Span", "Inch (international)", "9", "Centimetre", "22.86");
    }

    // Each worked example of the help, followed through the real windows on the
    // shipped catalogue, succeeds and gives the result the help promises.
    void helpExamples()
    {
        QFETCH(QString, unit);
        QFETCH(QString, base);
        QFETCH(QString, factor);
        QFETCH(QString, target);
        QFETCH(QString, result);

        const QString help = helpText();
        for (const QString& said : {unit, base, factor, result})
            QVERIFY2(help.contains(said), qPrintable(said));
        m_db->useShippedCatalogue();
        m_db->openShared();

        {
            NewValuesPage newValues;
            newValues.open();
            newValues.press("rdBtn_2");
            QCOMPARE(MessageBox::takeRecords().size(), 1); // "Select a Property from the list Below"
            QVERIFY(chooseEntry(newValues.cbProperty(), "Length"));
            QTest::keyClicks(newValues.txtValue(), unit);
            QVERIFY2(chooseEntry(newValues.cbUnit(), base), qPrintable(base));
            QTest::keyClicks(newValues.txtUnitValue(), factor);
            newValues.add();
            const QList<MessageBox::Record> refused = MessageBox::takeRecords();
            QVERIFY2(refused.isEmpty(), qPrintable(refused.value(0).text));
        }

        const ConverterPage converter;
        QVERIFY(chooseEntry(converter.combo(), "Length"));
        QTest::keyClicks(converter.input(), "1");
        QVERIFY2(clickEntry(converter.to(), target), qPrintable(target));
        MessageBox::takeRecords(); // "Select Unit From"
        QVERIFY2(clickEntry(converter.from(), unit), qPrintable(unit));
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QCOMPARE(converter.output()->text(), result);
    }

    void helpPropertyExample()
    {
        const QString help = helpText();
        QVERIFY(help.contains("Reading speed") && help.contains("Words per minute"));
        m_db->useShippedCatalogue();
        m_db->openShared();
        NewValuesPage newValues;
        newValues.open();
        QTest::keyClicks(newValues.txtValue(), "Reading speed");
        QTest::keyClicks(newValues.txtUnitValue(), "Words per minute");
        newValues.add();
        QVERIFY(MessageBox::takeRecords().isEmpty());
        QCOMPARE(m_db->scalar("select count(*) from tbProperty where propname = 'Reading speed'").toInt(), 1);
        QCOMPARE(m_db->scalar("select count(*) from tbUnits where uname = 'Words per minute'").toInt(), 1);
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
