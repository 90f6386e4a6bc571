#include "ShellPage.h"

#include "app/frmAbout.h"

#include <QAction>

namespace TestKit {

namespace {

// Calls `act` with a null pointer to the window class named `window`.
template <typename Act> ChildForm* byClass(const QString& window, Act act)
{
    if (window == QLatin1String("frmUnitConv"))
        return act(static_cast<frmUnitConv*>(nullptr));
    if (window == QLatin1String("frmNew"))
        return act(static_cast<frmNew*>(nullptr));
    if (window == QLatin1String("frmOptions"))
        return act(static_cast<frmOptions*>(nullptr));
    if (window == QLatin1String("frmAbout"))
        return act(static_cast<frmAbout*>(nullptr));
    qFatal("no window %s", qPrintable(window));
}

template <typename T> using Form = std::remove_pointer_t<T>;

std::unique_ptr<TestDatabase> shippedCatalogue(ShellPage::Catalogue catalogue)
{
    if (catalogue != ShellPage::Shipped)
        return nullptr;
    auto db = std::make_unique<TestDatabase>();
    db->useShippedCatalogue();
    db->openShared();
    return db;
}

} // namespace

ShellPage::ShellPage(Catalogue catalogue) : m_db(shippedCatalogue(catalogue))
{
    main.show();
    if (!QTest::qWaitForWindowActive(&main))
        qFatal("the main window did not become active");
}

ChildForm* ShellPage::show(const QString& window)
{
    return byClass(window, [this](auto* kind) -> ChildForm* { return main.showChild<Form<decltype(kind)>>(); });
}

ChildForm* ShellPage::loaded(const QString& window) const
{
    return byClass(window, [this](auto* kind) -> ChildForm* { return main.loadedChild<Form<decltype(kind)>>(); });
}

std::unique_ptr<ChildForm> openWindow(const QString& window)
{
    std::unique_ptr<ChildForm> form(byClass(window, [](auto* kind) -> ChildForm* { return new Form<decltype(kind)>; }));
    form->Form_Load();
    form->show();
    return form;
}

} // namespace TestKit
