#include "HelpContents.h"

#include <QRegularExpression>

namespace HelpContents {

namespace {

// One tag of the sitemap: its lower-case name ("ul", "/object", "param") and its attributes.
struct Tag
{
    QString name;
    QString attributes;
};

QString attribute(const QString& attributes, const QString& key)
{
    static const QRegularExpression pair(QStringLiteral(R"re((\w+)\s*=\s*("([^"]*)"|'([^']*)'|([^\s>]+)))re"));
    for (auto it = pair.globalMatch(attributes); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(1).compare(key, Qt::CaseInsensitive) == 0) {
            for (int group : {3, 4, 5})
                if (match.capturedStart(group) >= 0)
                    return match.captured(group);
        }
    }
    return QString();
}

QList<Tag> tags(const QString& text)
{
    QList<Tag> result;
    for (qsizetype open = text.indexOf(QLatin1Char('<')); open >= 0; open = text.indexOf(QLatin1Char('<'), open)) {
        const qsizetype close = text.indexOf(QLatin1Char('>'), open);
        if (close < 0)
            break;
        const QString inside = text.mid(open + 1, close - open - 1).trimmed();
        qsizetype space = 0;
        while (space < inside.size() && !inside.at(space).isSpace())
            ++space;
        result.append({inside.left(space).toLower(), inside.mid(space + 1)});
        open = close + 1;
    }
    return result;
}

QString unescaped(QString text)
{
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

} // namespace

QList<Entry> parse(const QByteArray& sitemap)
{
    QList<Entry> entries;
    int depth = -1;
    bool inEntry = false;
    Entry entry;
    for (const Tag& tag : tags(QString::fromUtf8(sitemap))) {
        if (tag.name == QLatin1String("ul")) {
            ++depth;
        } else if (tag.name == QLatin1String("/ul")) {
            depth = std::max(-1, depth - 1);
        } else if (tag.name == QLatin1String("object")) {
            inEntry = attribute(tag.attributes, QStringLiteral("type"))
                          .compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
            entry = Entry{QString(), QString(), std::max(0, depth)};
        } else if (tag.name == QLatin1String("param") && inEntry) {
            const QString key = attribute(tag.attributes, QStringLiteral("name")).toLower();
            const QString value = unescaped(attribute(tag.attributes, QStringLiteral("value")));
            if (key == QLatin1String("name"))
                entry.name = value;
            else if (key == QLatin1String("local"))
                entry.location = value;
        } else if (tag.name == QLatin1String("/object") && inEntry) {
            inEntry = false;
            if (!entry.name.isEmpty())
                entries.append(entry);
        }
    }
    return entries;
}

} // namespace HelpContents
