#include "HelpPage.h"

#include "ChmFile.h"
#include "HelpPageAccessible.h"

#include <QAccessible>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Qt lays out a table inside a table in a time that doubles with each level,
// so a damaged page of deeply nested tables would freeze the viewer for
// minutes. Help pages nest no table this deep; a page that does is damaged.
constexpr int MaxTableDepth = 6;

int tableDepth(const QTextDocument& document)
{
    int deepest = 0;
    std::vector<std::pair<const QTextFrame*, int>> pending{{document.rootFrame(), 0}};
    while (!pending.empty()) {
        const auto [frame, above] = pending.back();
        pending.pop_back();
        const int depth = above + (qobject_cast<const QTextTable*>(frame) ? 1 : 0);
        deepest = std::max(deepest, depth);
        for (const QTextFrame* child : frame->childFrames())
            pending.emplace_back(child, depth);
    }
    return deepest;
}

// Parsing is quick and lays nothing out, so the page is parsed once on its own to look at it.
bool canBeLaidOut(const QByteArray& html)
{
    QTextDocument scratch;
    scratch.setHtml(QString::fromUtf8(html));
    return tableDepth(scratch) <= MaxTableDepth;
}

} // namespace

HelpPage::HelpPage(QWidget* parent) : QTextBrowser(parent)
{
    setObjectName(QStringLiteral("helpPage"));
    setAccessibleName(QStringLiteral("Help page"));
    HelpPageAccessible::install();
    // Links are followed here, so that none leaves the archive unasked.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpPage::followLink);
}

HelpPage::~HelpPage() = default;

void HelpPage::showTopic(std::unique_ptr<ChmFile> archive, const QString& page, const QString& anchor)
{
    m_archive = std::move(archive);
    QUrl url;
    url.setScheme(QLatin1String(Scheme));
    url.setPath(page);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    // The archive may have changed under the same page name, so the page is
    // read again even when it is the one already shown.
    clear();
    setSource(url);
}

void HelpPage::showLocation(const QString& location)
{
    followLink(QUrl(location));
}

void HelpPage::followLink(const QUrl& link)
{
    const QUrl url = link.isRelative() ? source().resolved(link) : link;
    if (url.scheme() != QLatin1String(Scheme)) {
        emit externalLinkRefused(link);
        return;
    }
    setSource(url);
}

QString HelpPage::readableText() const
{
    QString text = document()->toRawText();
    for (QChar& c : text) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xfdd0: // beginning of a frame (a table or cell)
        case 0xfdd1: // end of a frame
            c = QLatin1Char('\n');
            break;
        case QChar::ObjectReplacementCharacter: // a picture
        case QChar::Nbsp:
            c = QLatin1Char(' ');
            break;
        default:
            break;
        }
    }
    return text;
}

QVariant HelpPage::loadResource(int type, const QUrl& name)
{
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    // Help pages reach nothing outside their own archive.
    if (url.scheme() != QLatin1String(Scheme))
        return {};
    const std::optional<QByteArray> data = m_archive ? m_archive->read(url.path()) : std::nullopt;
    if (type == QTextDocument::HtmlResource) {
        if (data && canBeLaidOut(*data))
            return *data;
        m_notFound = true;
        if (data)
            return notFoundPage(QStringLiteral("The help page %1 is damaged.").arg(url.path()));
        if (!m_archive || !m_archive->isOpen())
            return notFoundPage(QStringLiteral("The help file %1 is missing or damaged.")
                                    .arg(m_archive ? m_archive->fileName() : QString()));
        return notFoundPage(QStringLiteral("The help file has no page %1.").arg(url.path()));
    }
    if (!data)
        return {};
    if (type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(*data);
    return *data;
}

void HelpPage::doSetSource(const QUrl& name, QTextDocument::ResourceType type)
{
    m_notFound = false;
    QTextBrowser::doSetSource(name, type);
    const QString anchor = name.fragment();
    if (!m_notFound && !anchor.isEmpty() && !hasAnchor(anchor))
        showNotFoundPage(QStringLiteral("The help page has no topic named \"%1\".").arg(anchor));
}

bool HelpPage::hasAnchor(const QString& anchor) const
{
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorNames().contains(anchor))
                return true;
        }
    }
    return false;
}

QString HelpPage::notFoundPage(const QString& reason) const
{
    return QStringLiteral("<html><head><title>Help topic not found</title></head><body>"
                          "<h2>Help topic not found</h2>"
                          "<p>Quantaro could not show the help topic you asked for.</p>"
                          "<p>%1</p>"
                          "<p>Help is read from the file TSHelp.chm in the folder that holds the program. "
                          "Installing Quantaro again restores it.</p>"
                          "</body></html>")
        .arg(reason.toHtmlEscaped());
}

void HelpPage::showNotFoundPage(const QString& reason)
{
    m_notFound = true;
    setHtml(notFoundPage(reason));
}
