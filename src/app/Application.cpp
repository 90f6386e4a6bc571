#include "Application.h"

#include "MessageBox.h"
#include "data/RuntimeError.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Quantaro"));
    setOrganizationName(QStringLiteral("Veltrin Technologies"));
    setApplicationVersion(QStringLiteral("1.0"));
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    runGuarded(nullptr, [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
