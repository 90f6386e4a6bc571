// The program worked by keyboard alone: where the focus starts, F1 and
// Escape in every window, and a whole session without the mouse.
#include "BuildFolder.h"
#include "DataTable.h"
#include "ShellPage.h"

#include "app/HelpPage.h"
#include "app/HelpViewer.h"
#include "app/ShowHelpTopic.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>

namespace {

using TestKit::ShellPage;

QString focusedName()
{
    const QWidget* focused = QApplication::focusWidget();
    return focused ? focused->objectName() : QString();
}

// The child window that holds the focus.
QString focusedWindow()
{
    for (QWidget* up = QApplication::focusWidget(); up; up = up->parentWidget())
        if (qobject_cast<ChildForm*>(up))
            return up->objectName();
    return QString();
}

// The help window the main window owns, if one is open.
HelpViewer* openHelp(const MDIMain& main)
{
    for (HelpViewer* viewer : main.findChildren<HelpViewer*>(QString(), Qt::FindDirectChildrenOnly))
        if (viewer->isVisible())
            return viewer;
    return nullptr;
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

void type(const QString& text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Presses Tab until the control named `name` has the focus; false when a round of the window never reaches it.
bool tabTo(const QString& name)
{
    for (int i = 0; i < 20 && focusedName() != name; ++i)
        press(Qt::Key_Tab);
    return focusedName() == name;
}

// Replaces the text of the focused editable combo and presses Return, which picks the entry so named.
void chooseInCombo(const QString& text)
{
    press(Qt::Key_End);
    press(Qt::Key_Home, Qt::ShiftModifier);
    type(text);
    press(Qt::Key_Return);
}

QString boxTexts(const QList<MessageBox::Record>& boxes)
{
    QStringList texts;
    for (const MessageBox::Record& box : boxes)
        texts << box.text;
    return texts.join(" | ");
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        MessageBox::setIntercepting(true);
        setHelpDirectory(TestKit::buildDir());
    }
    void init() { MessageBox::takeRecords(); }

    // Each window opens with the focus on its first control in tab order.
    void focusStartsOnFirstControl_data()
    {
        const TestKit::DataTable<QString, QString, QString> row("action", "window", "control");
        row("New Values", "mnuNG", "frmNew", "rdBtn_1");
        row("converter from the menu", "mnuUnitConv", "frmUnitConv", "cbProperty");
        row("converter at start", QString(), "frmUnitConv", "cbProperty");
        row("Options", "mnuOption", "frmOptions", "cbProperty");
        row("About", "mnuAbt", "frmAbout", "Command1");
    }
    void focusStartsOnFirstControl()
    {
        ShellPage shell(ShellPage::Shipped);
        QFETCH(QString, action);
        QFETCH(QString, window);
        QFETCH(QString, control);
        if (!action.isEmpty()) {
            if (action == QLatin1String("mnuUnitConv"))
                shell.main.unloadChild<frmUnitConv>();
            shell.trigger(qPrintable(action));
        }
        QTRY_COMPARE(focusedWindow(), window);
        QCOMPARE(focusedName(), control);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    // F1 presses a window's help button, Escape its "&Done" or "&Ok".
    void childWindowKeys_data()
    {
        const TestKit::DataTable<QString, QString, int, QString> row("action", "control", "key", "button");
        row("New Values, F1", "mnuNG", "txtValue", Qt::Key_F1, "cmdHelp_0");
        row("New Values, Escape", "mnuNG", "txtUnitValue", Qt::Key_Escape, "cmdExit");
        row("Options, F1", "mnuOption", "cbProperty", Qt::Key_F1, "cmdHelp_0");
        row("Options, Escape", "mnuOption", "lst1", Qt::Key_Escape, "cmdCancel");
        row("About, Escape", "mnuAbt", "Command1", Qt::Key_Escape, "Command1");
    }
    void childWindowKeys()
    {
        QFETCH(QString, action);
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(QString, button);
        ShellPage shell(ShellPage::Shipped);
        shell.trigger(qPrintable(action));
        QMdiSubWindow* frame = shell.main.mdiArea()->activeSubWindow();
        QVERIFY(frame);
        auto* pressed = frame->widget()->findChild<QPushButton*>(button);
        QVERIFY(pressed);
        // The press is what is checked: the button's own handler stays out of it.
        pressed->disconnect(frame->widget());
        QSignalSpy clicked(pressed, &QPushButton::clicked);
        QWidget* focused = frame->widget()->findChild<QWidget*>(control);
        QVERIFY(focused);
        focused->setFocus();
        QTest::keyClick(focused, Qt::Key(key));
        QVERIFY(clicked.wait());
        QCOMPARE(clicked.size(), 1);
        QVERIFY(!openHelp(shell.main));
    }

    // F1 where no window has a help button is Help > Contents; Escape closes the help.
    void mainWindowHelpKeys_data()
    {
        const TestKit::DataTable<bool> row("withAbout");
        row("in the About box", true);
        row("with no child window", false);
    }
    void mainWindowHelpKeys()
    {
        QFETCH(bool, withAbout);
        ShellPage shell(ShellPage::Shipped);
        shell.main.unloadChild<frmUnitConv>();
        if (withAbout)
            shell.main.mnuAbt_Click();
        else
            shell.main.setFocus();
        QTRY_VERIFY(QApplication::focusWidget());
        press(Qt::Key_F1);
        QPointer<HelpViewer> viewer = openHelp(shell.main);
        QVERIFY(viewer);
        QVERIFY(!viewer->showsNotFoundPage());
        QCOMPARE(viewer->page()->source().fragment(), "a");
        QVERIFY(QTest::qWaitForWindowActive(viewer));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(viewer->page()));
        press(Qt::Key_Escape);
        QTRY_VERIFY(!viewer);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    // A whole session by keys alone, each key sent to the control that has the focus.
    void keyboardOnlySession()
    {
        ShellPage shell(ShellPage::Shipped);
        QTRY_COMPARE(focusedName(), "cbProperty");

        // Convert 3 Foot to Inch, the units chosen by typing their names.
        chooseInCombo("Length");
        QVERIFY(tabTo("txtInput"));
        type("3");
        press(Qt::Key_Tab);
        QCOMPARE(focusedName(), "lstUnitFrm");
        type("Foot");
        press(Qt::Key_Tab);
        QCOMPARE(focusedName(), "lstUnitTo");
        type("Inch");
        auto* output = shell.main.findChild<QLineEdit*>("txtOutput");
        QTRY_COMPARE(output->text(), "36");
        QVERIFY2(MessageBox::records().isEmpty(), qPrintable(boxTexts(MessageBox::records())));
        QVERIFY(tabTo("cmdSwap"));
        press(Qt::Key_Space);
        QTRY_COMPARE(output->text(), "0.25");

        // New Values: a property, then a unit of it.
        press(Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(focusedWindow(), "frmNew");
        QCOMPARE(focusedName(), "rdBtn_1");
        QVERIFY(tabTo("txtValue"));
        type("Reading speed");
        press(Qt::Key_Tab);
        QCOMPARE(focusedName(), "txtUnitValue");
        type("Words per minute");
        press(Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(shell.db().scalar("select count(*) from tbProperty where propname = 'Reading speed'").toInt(), 1);
        QVERIFY2(MessageBox::records().isEmpty(), qPrintable(boxTexts(MessageBox::records())));

        QVERIFY(tabTo("rdBtn_1"));
        press(Qt::Key_Down);
        QTRY_VERIFY(shell.main.findChild<QRadioButton*>("rdBtn_2")->isChecked());
        const QList<MessageBox::Record> prompt = MessageBox::takeRecords();
        QCOMPARE(prompt.size(), 1);
        QCOMPARE(prompt[0].text, "Select a Property from the list Below");
        QVERIFY(tabTo("cbProperty"));
        chooseInCombo("Reading speed");
        QVERIFY(tabTo("txtValue"));
        type("Words per hour");
        QVERIFY(tabTo("txtUnitValue"));
        type("0.0166666666666667");
        QVERIFY(tabTo("cbUnit"));
        chooseInCombo("Words per minute");
        QVERIFY(tabTo("cmdCalc"));
        press(Qt::Key_Space);
        QTRY_COMPARE(shell.db().scalar("select count(*) from tbUnits where uname = 'Words per hour'").toInt(), 1);
        QVERIFY2(MessageBox::records().isEmpty(), qPrintable(boxTexts(MessageBox::records())));
        press(Qt::Key_Escape);
        QTRY_VERIFY(!shell.main.loadedChild<frmNew>());

        // Options: hide a property, then show it again.
        press(Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE(focusedWindow(), "frmOptions");
        QCOMPARE(focusedName(), "cbProperty");
        press(Qt::Key_Tab);
        QCOMPARE(focusedName(), "rbutProperty");
        press(Qt::Key_Space);
        QTRY_VERIFY(shell.main.findChild<QRadioButton*>("rbutProperty")->isChecked());
        const auto flag = [&shell] {
            return shell.db().scalar("select propDF from tbProperty where propname = 'Reading speed'").toString();
        };
        QCOMPARE(flag(), "0");
        for (const auto& [list, button, hidden] :
             {std::tuple{"lst1", "cmdHideSel", "1"}, {"lst2", "cmdShowSel", "0"}}) {
            QVERIFY(tabTo(QLatin1String(list)));
            // A space in a list selects, so the name is typed up to its first space.
            type("Reading");
            press(Qt::Key_Space);
            QVERIFY(tabTo(QLatin1String(button)));
            press(Qt::Key_Space);
            QTRY_COMPARE(flag(), QLatin1String(hidden));
        }
        QVERIFY2(MessageBox::records().isEmpty(), qPrintable(boxTexts(MessageBox::records())));

        // The help, opened and closed by keys.
        press(Qt::Key_F1);
        QPointer<HelpViewer> viewer;
        QTRY_VERIFY((viewer = shell.main.findChild<HelpViewer*>()));
        QVERIFY(QTest::qWaitForWindowActive(viewer));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(viewer->page()));
        press(Qt::Key_Escape);
        QTRY_VERIFY(!viewer);
        // The window manager hands activation back to the main window; the offscreen platform has none.
        shell.main.activateWindow();
        QTRY_COMPARE(focusedWindow(), "frmOptions");
        press(Qt::Key_Escape);
        QTRY_VERIFY(!shell.main.loadedChild<frmOptions>());
        QVERIFY2(MessageBox::records().isEmpty(), qPrintable(boxTexts(MessageBox::records())));
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
