#include "Main.h"

#include "MDIMain.h"
#include "MessageBox.h"
#include "data/RuntimeError.h"
#include "data/modMain.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>

#include <cstdio>

namespace {

// A failed start-up ends the program before any window shows: the report goes
// to standard error, and into a box where there is a screen to show it on.
int reportStartupFailure(const RuntimeError& error)
{
    const QString report =
        QStringLiteral("Run-time error '%1':\n\n%2").arg(error.number()).arg(error.description());
    std::fprintf(stderr, "Quantaro: %s\n", qPrintable(report));
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        MessageBox::showRuntimeError(nullptr, error);
    return 1;
}

} // namespace

int Main()
{
    const QString databaseFile = QStringLiteral("Tessaly.mdb");
    modMain::dbConnection.ConnectionString =
        QDir(QCoreApplication::applicationDirPath()).filePath(databaseFile);
    try {
        modMain::dbConnection.Open();
    } catch (const RuntimeError& error) {
        return reportStartupFailure(error);
    }

    MDIMain mainWindow;
    mainWindow.show();
    if (modMain::dbRecordset.isOpen())
        modMain::dbRecordset.Close();
    return QApplication::exec();
}
