#include "HelpViewer.h"

#include "ChmFile.h"
#include "HelpContents.h"
#include "HelpPage.h"
#include "kit/FormLayout.h"

#include <QAction>
#include <QHeaderView>
#include <QIcon>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>

#include <optional>

namespace {

// The contents file inside the archive, named as the help project names it.
const QString ContentsFile = QStringLiteral("/TSHelp.hhc");
constexpr int LocationRole = Qt::UserRole;

} // namespace

HelpViewer::HelpViewer(QWidget* owner)
    : QMainWindow(owner, Qt::Window), m_page(new HelpPage), m_contents(new QTreeWidget)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quantaro Help"));
    // The program's own picture: the question mark is the help buttons' picture.
    setWindowIcon(FormLayout::programIcon());

    m_contents->setObjectName(QStringLiteral("helpContents"));
    m_contents->setAccessibleName(QStringLiteral("Contents"));
    m_contents->setHeaderHidden(true);
    m_contents->setRootIsDecorated(true);
    auto* splitter = new QSplitter(this);
    splitter->setObjectName(QStringLiteral("helpSplitter"));
    splitter->addWidget(m_contents);
    splitter->addWidget(m_page);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 630});
    setCentralWidget(splitter);
    // The page comes first for the keyboard, as the reader starts there.
    QWidget::setTabOrder(m_page, m_contents);
    statusBar()->setObjectName(QStringLiteral("helpStatus"));

    createActions();
    connect(m_page, &HelpPage::externalLinkRefused, this, [this](const QUrl& url) {
        statusBar()->showMessage(
            QStringLiteral("This link leads outside the help and was not opened: %1").arg(url.toString()));
    });
    connect(m_page, QOverload<const QUrl&>::of(&QTextBrowser::highlighted), this,
            [this](const QUrl& url) { statusBar()->showMessage(url.isEmpty() ? QString() : url.toString()); });
    connect(m_page, &QTextBrowser::sourceChanged, this, &HelpViewer::markCurrentEntry);
    connect(m_contents, &QTreeWidget::itemActivated, this, &HelpViewer::contentsEntryChosen);
    connect(m_contents, &QTreeWidget::itemClicked, this, &HelpViewer::contentsEntryChosen);
    resize(860, 620);
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::createActions()
{
    QToolBar* bar = addToolBar(QStringLiteral("Help"));
    bar->setObjectName(QStringLiteral("helpToolBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto action = [&](const char* name, const QString& text, QStyle::StandardPixmap icon,
                            const QKeySequence& keys) {
        QAction* act = bar->addAction(style()->standardIcon(icon), text);
        act->setObjectName(QLatin1String(name));
        act->setShortcut(keys);
        act->setShortcutContext(Qt::WindowShortcut);
        return act;
    };
    m_back = action("actBack", QStringLiteral("&Back"), QStyle::SP_ArrowBack, QKeySequence::Back);
    m_back->setEnabled(false);
    connect(m_back, &QAction::triggered, m_page, &QTextBrowser::backward);
    connect(m_page, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    m_forward = action("actForward", QStringLiteral("&Forward"), QStyle::SP_ArrowForward, QKeySequence::Forward);
    m_forward->setEnabled(false);
    connect(m_forward, &QAction::triggered, m_page, &QTextBrowser::forward);
    connect(m_page, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    m_showContents = action("actContents", QStringLiteral("&Contents"), QStyle::SP_FileDialogContentsView,
                            QKeySequence(Qt::ALT | Qt::Key_C));
    m_showContents->setCheckable(true);
    m_showContents->setChecked(true);
    connect(m_showContents, &QAction::toggled, this, &HelpViewer::showContents);
    QAction* close = action("actClose", QStringLiteral("C&lose"), QStyle::SP_DialogCloseButton, QKeySequence::Close);
    // Escape closes the help as it closes a dialog.
    close->setShortcuts(QKeySequence::keyBindings(QKeySequence::Close) << QKeySequence(Qt::Key_Escape));
    connect(close, &QAction::triggered, this, &QWidget::close);
}

void HelpViewer::showTopic(std::unique_ptr<ChmFile> archive, const QString& page, const QString& anchor)
{
    m_page->showTopic(std::move(archive), page, anchor);
    fillContents();
}

void HelpViewer::present()
{
    show();
    raise();
    activateWindow();
    m_page->setFocus(Qt::OtherFocusReason);
}

bool HelpViewer::showsNotFoundPage() const
{
    return m_page->showsNotFoundPage();
}

void HelpViewer::fillContents()
{
    m_contents->clear();
    const ChmFile* archive = m_page->archive();
    const std::optional<QByteArray> sitemap = archive ? archive->read(ContentsFile) : std::nullopt;
    if (!sitemap)
        return;
    QList<QTreeWidgetItem*> parents;
    for (const HelpContents::Entry& entry : HelpContents::parse(*sitemap)) {
        const int depth = std::min<int>(entry.depth, parents.size());
        parents.resize(depth);
        auto* item = parents.isEmpty() ? new QTreeWidgetItem(m_contents) : new QTreeWidgetItem(parents.last());
        item->setText(0, entry.name);
        item->setData(0, LocationRole, entry.location);
        parents.append(item);
    }
    m_contents->expandAll();
    markCurrentEntry();
}

void HelpViewer::showContents(bool shown)
{
    m_contents->setVisible(shown);
    if (shown)
        m_contents->setFocus(Qt::OtherFocusReason);
    else
        m_page->setFocus(Qt::OtherFocusReason);
}

void HelpViewer::contentsEntryChosen(QTreeWidgetItem* item)
{
    const QString location = item ? item->data(0, LocationRole).toString() : QString();
    if (!location.isEmpty())
        m_page->showLocation(location);
}

// The entry of the topic shown becomes the current one, so the contents show where the reader is.
void HelpViewer::markCurrentEntry()
{
    const QUrl shown = m_page->source();
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        const QUrl entry = shown.resolved(QUrl((*it)->data(0, LocationRole).toString()));
        if (entry.path() == shown.path() && entry.fragment() == shown.fragment()) {
            const QSignalBlocker quiet(m_contents);
            m_contents->setCurrentItem(*it);
            return;
        }
    }
}
