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
//
// With --commands it takes its steps from standard input instead, one a line,
// so that a test can change the catalogue between two of them:
//   add <name>                adds the property <name> (base unit "<name> unit")
//                             through Tools > New, then prints its boxes and "added"
//   exit                      ends the program through "E&xit"
// Usage: scripted_user --commands

#include "ChildOutput.h"
#include "Gestures.h"

#include "app/Application.h"
#include "app/HelpPage.h"
#include "app/HelpViewer.h"
#include "app/MDIMain.h"
#include "app/Main.h"
#include "convert/frmUnitConv.h"
#include "kit/MessageBox.h"
#include "kit/SortedLists.h"
#include "newvalues/frmNew.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

using TestKit::fault;
using TestKit::say;

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

// Clicks the unit as a user does.
void selectUnit(SortedLists::ListView* list, const QString& name)
{
    if (!TestKit::clickEntry(list, name))
        fault(QStringLiteral("no unit %1").arg(name));
}

void convert(MDIMain* main)
{
    auto* converter = main->loadedChild<frmUnitConv>();
    if (!TestKit::chooseEntry(control<QComboBox>(converter, QStringLiteral("cbProperty")), QStringLiteral("Length")))
        fault(QStringLiteral("no property Length"));
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

// Says what the press left: its boxes, then "added".
void reportAdd()
{
    for (const MessageBox::Record& box : MessageBox::takeRecords())
        say(QStringLiteral("box ") + QString(box.text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    say(QStringLiteral("added"));
}

void runCommand(const QString& command)
{
    MDIMain* main = mainWindow();
    if (command.startsWith(QLatin1String("add "))) {
        addProperty(main, command.mid(4));
        QTimer::singleShot(0, reportAdd);
    } else if (command == QLatin1String("exit")) {
        control<QAction>(main, QStringLiteral("mnuExit"))->trigger();
    } else {
        fault(QStringLiteral("unknown command ") + command);
    }
}

// Takes each line of standard input as a command once it arrives; the end of
// the input ends nothing, the test says "exit".
void readCommands(QObject* parent)
{
    auto* input = new QSocketNotifier(0, QSocketNotifier::Read, parent);
    QObject::connect(input, &QSocketNotifier::activated, input, [input] {
        std::string line;
        if (!std::getline(std::cin, line)) {
            input->setEnabled(false);
            return;
        }
        runCommand(QString::fromStdString(line).trimmed());
    });
}

} // namespace

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fputs("usage: scripted_user <property name> | --commands\n", stderr);
        return 2;
    }
    MessageBox::setIntercepting(true);
    if (args.at(1) == QLatin1String("--commands")) {
        QTimer::singleShot(0, &app, [&app] {
            mainWindow();
            readCommands(&app);
            say(QStringLiteral("ready"));
        });
        return Main();
    }
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
