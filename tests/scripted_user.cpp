// A helper for tst_userdata: the program itself (the same start-up, windows and
// application object), with a user who, once the main window shows, converts
// 12 Foot (international) to Metre, then adds the property named on the command line through
// Tools > New, opens Help > Contents, and then waits to be ended. Copied beside a catalogue, it finds
// its files as the program does. Every line is flushed at once:
//   converted <output text>   the converter's result
//   added                     the "&Add" press is over
//   box <text>                a message box the press showed
//   help <heading>            Help > Contents opened the help at this heading
//   fault <text>              a window or control was not found
//
// Usage: scripted_user <property name>

#include "app/Application.h"
#include "app/HelpPage.h"
#include "app/HelpViewer.h"
#include "app/MDIMain.h"
#include "app/Main.h"
#include "kit/MessageBox.h"
#include "kit/SortedLists.h"
#include "convert/frmUnitConv.h"
#include "newvalues/frmNew.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

void say(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

[[noreturn]] void fault(const QString& text)
{
    say(QStringLiteral("fault ") + text);
    std::exit(3);
}

template <typename T> T* control(QObject* parent, const QString& name)
{
    T* found = parent ? parent->findChild<T*>(name) : nullptr;
    if (!found)
        fault(QStringLiteral("no control %1").arg(name));
    return found;
}

MDIMain* mainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* main = qobject_cast<MDIMain*>(widget))
            return main;
    }
    fault(QStringLiteral("no main window"));
}

void selectUnit(SortedLists::ListView* list, const QString& name)
{
    const int row = list->findRow(name);
    if (row < 0)
        fault(QStringLiteral("no unit %1").arg(name));
    list->setCurrentRow(row);
}

void convert(MDIMain* main)
{
    auto* converter = main->loadedChild<frmUnitConv>();
    auto* property = control<QComboBox>(converter, QStringLiteral("cbProperty"));
    const int length = property->findText(QStringLiteral("Length"));
    if (length < 0)
        fault(QStringLiteral("no property Length"));
    property->setCurrentIndex(length);
    emit property->activated(length);
    control<QLineEdit>(converter, QStringLiteral("txtInput"))->setText(QStringLiteral("12"));
    selectUnit(control<SortedLists::ListView>(converter, QStringLiteral("lstUnitFrm")),
               QStringLiteral("Foot (international)"));
    selectUnit(control<SortedLists::ListView>(converter, QStringLiteral("lstUnitTo")), QStringLiteral("Metre"));
    say(QStringLiteral("converted ") + control<QLineEdit>(converter, QStringLiteral("txtOutput"))->text());
}

// Clicks go through the application object, as a user's do.
void addProperty(MDIMain* main, const QString& name)
{
    control<QAction>(main, QStringLiteral("mnuNG"))->trigger();
    auto* form = main->loadedChild<frmNew>();
    control<QLineEdit>(form, QStringLiteral("txtValue"))->setText(name);
    control<QLineEdit>(form, QStringLiteral("txtUnitValue"))->setText(name + QStringLiteral(" unit"));
    MessageBox::takeRecords();
    QTest::mouseClick(control<QPushButton>(form, QStringLiteral("cmdCalc")), Qt::LeftButton);
}

// The help window's text from the top of the page it shows, up to the end of that line.
void openHelp(MDIMain* main)
{
    control<QAction>(main, QStringLiteral("mnucontents"))->trigger();
    for (const MessageBox::Record& box : MessageBox::takeRecords())
        say(QStringLiteral("box ") + box.text + QLatin1Char(' ') + box.detail);
    auto* viewer = main->findChild<HelpViewer*>();
    if (!viewer)
        fault(QStringLiteral("no help window"));
    const QTextCursor top = viewer->page()->cursorForPosition(QPoint(4, 4));
    say(QStringLiteral("help ") + top.block().text());
}

} // namespace

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fputs("usage: scripted_user <property name>\n", stderr);
        return 2;
    }
    MessageBox::setIntercepting(true);
    QTimer::singleShot(0, &app, [name = args.at(1)] {
        MDIMain* main = mainWindow();
        convert(main);
        addProperty(main, name);
        // Reported from the next event, once the press and what follows it are over.
        QTimer::singleShot(0, [] {
            for (const MessageBox::Record& box : MessageBox::takeRecords())
                say(QStringLiteral("box ") + box.text);
            say(QStringLiteral("added"));
            openHelp(mainWindow());
        });
    });
    return Main();
}
