#pragma once

// The shell loaded the way the program loads it: the main window on the shared
// catalogue, shown and active, with the converter it opens at start-up; and the
// windows by their class names, in the shell or on their own.

#include "Pages.h"
#include "TestDatabase.h"

#include "app/MDIMain.h"

#include <memory>

namespace TestKit {

class ShellPage
{
    // Made before the main window and gone after it.
    std::unique_ptr<TestDatabase> m_db;

public:
    enum Catalogue { Opened, Shipped };
    // The main window on the catalogue the test has opened as the shared
    // connection, or on a fresh copy of the shipped one; shown and active.
    explicit ShellPage(Catalogue catalogue = Opened);

    // The copy of the shipped catalogue a shell made on it runs on.
    TestDatabase& db() const { return *m_db; }
    void trigger(const char* action) const { control<QAction>(&main, action)->trigger(); }
    // The window of the class named `window` (frmUnitConv, frmNew, frmOptions,
    // frmAbout): brought to the front or loaded as the menus do; or the loaded
    // one, nullptr for none.
    ChildForm* show(const QString& window);
    ChildForm* loaded(const QString& window) const;
    ConverterPage converter() const { return ConverterPage(main.loadedChild<frmUnitConv>()); }

    MDIMain main;
};

// A window of the class named `window` made on its own, loaded and shown.
std::unique_ptr<ChildForm> openWindow(const QString& window);

} // namespace TestKit
