#include "Application.h"

#include "data/RuntimeError.h"
#include "data/modMain.h"
#include "kit/FormLayout.h"
#include "kit/MessageBox.h"

#include <QLibraryInfo>

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    // The per-user data folder is named after the program alone, as on any
    // Linux desktop: ~/.local/share/quantaro.
    setApplicationName(QStringLiteral("quantaro"));
    setApplicationDisplayName(QStringLiteral("Quantaro"));
    // The menu entry quantaro.desktop.
    setDesktopFileName(QStringLiteral("quantaro"));
    setApplicationVersion(QStringLiteral("1.0"));
    // Qt also looks for plugins in the program's own folder; a library put
    // there would run inside the program. Plugins come from Qt's installed
    // plugin folder alone. Those loaded while the application object was made
    // are picked by name, and Qt's own come first.
    setLibraryPaths({QLibraryInfo::path(QLibraryInfo::PluginsPath)});
    // After the plugin folders are settled: an icon looks for icon plugins.
    // The pictures installed in the icon theme are built in too, so a copy that is not installed shows them.
    setWindowIcon(FormLayout::programIcon());
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    ++m_depth;
    runGuarded(nullptr, [&] { handled = QApplication::notify(receiver, event); });
    --m_depth;
    // Not inside a press: a move writes row after row, and the file takes them in once.
    if (m_depth == 0)
        modMain::dbConnection.saveToFile();
    return handled;
}
