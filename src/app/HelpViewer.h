#pragma once

#include <QMainWindow>

#include <memory>

class ChmFile;
class HelpPage;
class QAction;
class QTreeWidget;
class QTreeWidgetItem;

// The help window: the help page beside the help file's table of contents,
// with Back, Forward, Contents and Close. It is a window of its own, owned by
// the window that asked for help so that it stays in front of it.
class HelpViewer : public QMainWindow
{
    Q_OBJECT

public:
    explicit HelpViewer(QWidget* owner);
    ~HelpViewer() override;

    // Shows `page` of `archive` (such as "/TSHelp.htm") scrolled to `anchor`,
    // and the archive's table of contents beside it.
    void showTopic(std::unique_ptr<ChmFile> archive, const QString& page, const QString& anchor);
    // Shows the window in front, with the keyboard focus on the page.
    void present();

    HelpPage* page() const { return m_page; }
    QTreeWidget* contents() const { return m_contents; }
    // True while the not-found page is shown instead of a help page.
    bool showsNotFoundPage() const;

private:
    void createActions();
    void fillContents();
    void showContents(bool shown);
    void contentsEntryChosen(QTreeWidgetItem* item);
    void markCurrentEntry();

    HelpPage* m_page;
    QTreeWidget* m_contents;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    QAction* m_showContents = nullptr;
};
