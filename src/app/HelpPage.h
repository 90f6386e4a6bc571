#pragma once

#include <QTextBrowser>

#include <memory>

class ChmFile;

// The page of the help window: shows pages of the compiled help file, with
// their links, style sheet and pictures read from the same archive. Links that
// lead outside the archive are never followed; they are reported instead.
class HelpPage : public QTextBrowser
{
    Q_OBJECT

public:
    // The URL scheme of pages inside the open archive, as in "chm:/TSHelp.htm#b".
    static constexpr auto Scheme = "chm";

    explicit HelpPage(QWidget* parent = nullptr);
    ~HelpPage() override;

    // Shows `page` of `archive` (such as "/TSHelp.htm") scrolled to `anchor`.
    // A missing archive, page or anchor shows the viewer's own not-found page.
    void showTopic(std::unique_ptr<ChmFile> archive, const QString& page, const QString& anchor);
    // Shows a location inside the open archive, such as "TSHelp.htm#f".
    void showLocation(const QString& location);

    // The archive the pages come from, or nullptr before the first topic.
    const ChmFile* archive() const { return m_archive.get(); }

    // True while the not-found page is shown instead of a help page.
    bool showsNotFoundPage() const { return m_notFound; }

    // The page's text as a screen reader reads it: one character for each
    // character of the document, with frame, paragraph and picture markers
    // turned into line breaks and blanks.
    QString readableText() const;

    QVariant loadResource(int type, const QUrl& name) override;

signals:
    // A link to somewhere outside the help was clicked and not followed.
    void externalLinkRefused(const QUrl& url);

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    void followLink(const QUrl& link);
    bool hasAnchor(const QString& anchor) const;
    QString notFoundPage(const QString& reason) const;
    void showNotFoundPage(const QString& reason);

    std::unique_ptr<ChmFile> m_archive;
    bool m_notFound = false;
};
