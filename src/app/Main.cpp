#include "Main.h"

#include "MDIMain.h"
#include "data/CatalogueLocation.h"
#include "data/CatalogueUpdate.h"
#include "data/RuntimeError.h"
#include "data/modMain.h"
#include "kit/MessageBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

namespace {

bool hasScreen()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// A failed start-up ends the program before any window shows: the report goes
// to standard error, and into a box where there is a screen to show it on.
int reportStartupFailure(const RuntimeError& error)
{
    const QString report = QStringLiteral("Run-time error '%1':\n\n%2").arg(error.number()).arg(error.description());
    std::fprintf(stderr, "Quantaro: %s\n", qPrintable(report));
    if (hasScreen())
        MessageBox::showRuntimeError(nullptr, error);
    return 1;
}

// Brings the user's catalogue up to date with the shipped one. The program goes
// on with the file as it was when that fails; the user is told so.
void updateCatalogue(const CatalogueLocation& location)
{
    if (location.shipped.isEmpty())
        return;
    try {
        if (CatalogueUpdate::apply(modMain::dbConnection.database(), location.shipped)) {
            modMain::dbConnection.noteChange();
            modMain::dbConnection.saveToFile();
        }
    } catch (const RuntimeError& error) {
        const QString text = QStringLiteral("Quantaro could not bring your catalogue %1 up to date with the one it "
                                            "ships with; your catalogue is unchanged.\n\n%2")
                                 .arg(location.live, error.description());
        std::fprintf(stderr, "Quantaro: %s\n", qPrintable(text));
        if (hasScreen())
            MessageBox::show(nullptr, text, MsgStyle::Exclamation, BoxTitle);
    }
}

} // namespace

int Main()
{
    const QString databaseFile = QStringLiteral("Tessaly.mdb");
    const CatalogueLocation location =
        CatalogueLocation::find(QCoreApplication::applicationDirPath(), databaseFile,
                                QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    for (const QString& note : location.notes)
        std::fprintf(stderr, "Quantaro: %s\n", qPrintable(note));
    modMain::dbConnection.ConnectionString = location.live;
    modMain::dbConnection.rememberSoundFile(
        CheckedFile(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)));
    try {
        modMain::dbConnection.Open();
    } catch (const RuntimeError& error) {
        return reportStartupFailure(error);
    }
    updateCatalogue(location);

    MDIMain mainWindow;
    mainWindow.show();
    if (modMain::dbRecordset.isOpen())
        modMain::dbRecordset.Close();
    const int status = QApplication::exec();
    modMain::dbConnection.saveToFile();
    // A catalogue changed under the program is left as it is. Closing it would
    // have the engine fold its log into the file and delete the files beside it
    // by name, which may now hold another program's changes.
    if (modMain::dbConnection.changedUnderProgram()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
