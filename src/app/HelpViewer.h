#pragma once

#include <QTextBrowser>

#include <memory>

class ChmFile;

// The help window: shows pages of the compiled help file, with their links,
// style sheet and pictures read from the same archive. It is a window of its
// own, owned by the window that asked for help so that it stays in front of it.
class HelpViewer : public QTextBrowser
{
    Q_OBJECT

public:
    // The URL scheme of pages inside the open archive, as in "chm:/TSHelp.htm#b".
    static constexpr auto Scheme = "chm";

    explicit HelpViewer(QWidget* owner);
    ~HelpViewer() override;

    // Shows `page` of `archive` (such as "/TSHelp.htm") scrolled to `anchor`.
    // A missing archive, page or anchor shows the viewer's own not-found page.
    void showTopic(std::unique_ptr<ChmFile> archive, const QString& page, const QString& anchor);

    // True while the not-found page is shown instead of a help page.
    bool showsNotFoundPage() const { return m_notFound; }

    QVariant loadResource(int type, const QUrl& name) override;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    bool hasAnchor(const QString& anchor) const;
    QString notFoundPage(const QString& reason) const;
    void showNotFoundPage(const QString& reason);

    std::unique_ptr<ChmFile> m_archive;
    bool m_notFound = false;
};
