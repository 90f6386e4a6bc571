#include "MDIMain.h"

#include "ShowHelpTopic.h"
#include "convert/frmUnitConv.h"
#include "frmAbout.h"
#include "kit/FormLayout.h"
#include "kit/MessageBox.h"
#include "newvalues/frmNew.h"
#include "options/frmOptions.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenuBar>

#include <algorithm>

MDIMain::MDIMain(QWidget* parent) : QMainWindow(parent), m_mdiArea(new QMdiArea(this))
{
    setObjectName(QStringLiteral("MDIMain"));
    setWindowTitle(QStringLiteral("Quantaro - Veltrin Technologies") + QString(65, QLatin1Char(' ')) +
                   frmAbout::WebAddress);
    setWindowIcon(FormLayout::programIcon());
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setAccessibleName(QStringLiteral("Windows"));
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &MDIMain::subWindowActivated);
    // Windows grown for a large font may not fit a small screen: the area then scrolls.
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    createActions();
    resize(FormLayout::scaled(11940) + 40, FormLayout::scaled(6885) + 90);
}

MDIMain::~MDIMain()
{
    // The area announces activations while its frames go; this window is half gone by then.
    disconnect(m_mdiArea, nullptr, this, nullptr);
}

void MDIMain::createActions()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    QAction* unitConv = bar->addAction(QStringLiteral("Quantaro"));
    unitConv->setObjectName(QStringLiteral("mnuUnitConv"));
    connect(unitConv, &QAction::triggered, this, &MDIMain::mnuUnitConv_Click);

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    tools->menuAction()->setObjectName(QStringLiteral("mnuToolsAction"));
    QAction* newValues = tools->addAction(QStringLiteral("&New"));
    newValues->setObjectName(QStringLiteral("mnuNG"));
    newValues->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(newValues, &QAction::triggered, this, &MDIMain::mnuNG_Click);
    QAction* options = tools->addAction(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnuOption"));
    options->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(options, &QAction::triggered, this, &MDIMain::mnuOption_Click);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    help->menuAction()->setObjectName(QStringLiteral("mnuHelpAction"));
    QAction* contents = help->addAction(QStringLiteral("Cont&ents"));
    contents->setObjectName(QStringLiteral("mnucontents"));
    contents->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(contents, &QAction::triggered, this, &MDIMain::mnucontents_Click);
    QAction* about = help->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("mnuAbt"));
    about->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(about, &QAction::triggered, this, &MDIMain::mnuAbt_Click);

    QAction* exit = bar->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, &MDIMain::mnuExit_Click);

    // Shortcuts of menu items work from anywhere in the main window, child windows included.
    for (QAction* action : {newValues, options, contents, about}) {
        action->setShortcutContext(Qt::WindowShortcut);
        m_menuShortcuts << action->shortcut();
    }
    // Text boxes claim Ctrl+A and Ctrl+E for themselves; the filter lets the menu have them.
    qApp->installEventFilter(this);
}

bool MDIMain::isMenuShortcut(const QKeyEvent* key) const
{
    const QKeySequence pressed(key->keyCombination());
    return std::any_of(m_menuShortcuts.cbegin(), m_menuShortcuts.cend(),
                       [&pressed](const QKeySequence& shortcut) { return shortcut == pressed; });
}

bool MDIMain::eventFilter(QObject* watched, QEvent* event)
{
    // A control that accepts the override keeps the key from the menu; left
    // unaccepted, the key reaches the menu item's shortcut.
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && isMenuShortcut(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MDIMain::load(ChildForm* form)
{
    // A frame elides its title anew at each of the many size and event
    // calculations while it is set up and shown; it takes the title once it
    // is shown and its controls are polished and laid out, before anything is
    // painted. Its accessible name is the title from the start, so the window
    // is never announced without a name.
    const QString title = form->windowTitle();
    form->setWindowTitle(QString());
    QMdiSubWindow* frame = m_mdiArea->addSubWindow(form);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    form->watchFrame(frame);
    connectRequests(form);
    frame->setObjectName(form->objectName() + QStringLiteral("Frame"));
    frame->setOption(QMdiSubWindow::RubberBandResize, false);
    // Child windows keep their designed size, as fixed dialogs do.
    frame->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
    runGuarded(this, [form] { form->Form_Load(); });
    frame->adjustSize();
    frame->setFixedSize(frame->sizeHint());
    frame->setAccessibleName(title);
    frame->show();
    // Controls just shown ask to be polished and laid out once more; those
    // requests are answered now rather than with a title to elide at each.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::PolishRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    form->setWindowTitle(title);
    bringToFront(form);
}

void MDIMain::connectRequests(ChildForm* form)
{
    connect(form, &ChildForm::helpRequested, this, [form](const QString& anchor, const QString& failureMessage) {
        ShowHelpTopic(form, anchor, failureMessage);
    });
    if (auto* converter = qobject_cast<frmUnitConv*>(form)) {
        connect(converter, &frmUnitConv::newValuesRequested, this, [this] { showChild<frmNew>(); });
        connect(converter, &frmUnitConv::optionsRequested, this, [this] { showChild<frmOptions>(); });
    }
}

void MDIMain::bringToFront(ChildForm* form)
{
    QMdiSubWindow* frame = form->subWindow();
    if (!frame)
        return;
    if (frame->isMinimized())
        frame->showNormal();
    m_mdiArea->setActiveSubWindow(frame);
    frame->raise();
    // A window brought back keeps the control it had the focus on; a new one starts at its first control.
    if (!form->isAncestorOf(QApplication::focusWidget()))
        form->setFocus();
}

void MDIMain::subWindowActivated(QMdiSubWindow* frame)
{
    if (!frame)
        return;
    if (auto* form = qobject_cast<ChildForm*>(frame->widget()))
        runGuarded(this, [form] { form->Form_Activate(); });
}

void MDIMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        MDIForm_Load();
    }
}

void MDIMain::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        event->accept();
        mnucontents_Click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MDIMain::closeEvent(QCloseEvent* event)
{
    // Closing the main window ends the program at once, whatever is open.
    event->accept();
    QCoreApplication::exit(0);
}

void MDIMain::MDIForm_Load()
{
    makeRoomFor(showChild<frmUnitConv>()->subWindow());
}

void MDIMain::makeRoomFor(const QWidget* frame)
{
    if (!frame)
        return;
    const QSize lacking = frame->size() - m_mdiArea->viewport()->size();
    resize(size() + lacking.expandedTo(QSize(0, 0)));
}

void MDIMain::mnuUnitConv_Click()
{
    showChild<frmUnitConv>();
}

void MDIMain::mnuNG_Click()
{
    unloadChild<frmUnitConv>();
    frmNew* form = showChild<frmNew>();
    form->activateWindow();
    form->setFocus();
}

void MDIMain::mnuOption_Click()
{
    showChild<frmOptions>();
}

void MDIMain::mnucontents_Click()
{
    ShowHelpTopic(this, QStringLiteral("\\TSHelp.htm#a"), HelpFailureMessage);
}

void MDIMain::mnuAbt_Click()
{
    frmAbout* about = showChild<frmAbout>();
    about->activateWindow();
    about->setFocus();
}

void MDIMain::mnuExit_Click()
{
    QCoreApplication::exit(0);
}
