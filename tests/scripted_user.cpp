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
#include "Pages.h"

#include "app/Application.h"
#include "app/HelpPage.h"
#include "app/HelpViewer.h"
#include "app/MDIMain.h"
#include "app/Main.h"
#include "kit/MessageBox.h"

#include <QAction>
#include <QSocketNotifier>
#include <QTextBlock>
#include <QTimer>

#include <cstdio>
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

// The converter's pick, value and clicks as a user makes them.
void convert(MDIMain* main)
{
    const TestKit::ConverterPage converter(main->loadedChild<frmUnitConv>());
    converter.pick(QStringLiteral("Length"));
    converter.convert(QStringLiteral("12"), QStringLiteral("Foot (international)"), QStringLiteral("Metre"));
    say(QStringLiteral("converted ") + converter.output()->text());
}

// Clicks go through the application object, as a user's do.
void addProperty(MDIMain* main, const QString& name)
{
    control<QAction>(main, QStringLiteral("mnuNG"))->trigger();
    MessageBox::takeRecords();
    TestKit::NewValuesPage(main->loadedChild<frmNew>()).addProperty(name, name + QStringLiteral(" unit"));
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
            reportAdd();
            openHelp(mainWindow());
        });
    });
    return Main();
}
