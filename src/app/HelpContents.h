#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The table of contents of a compiled help file, read from its contents file
// (TSHelp.hhc): a sitemap of nested lists whose entries name a topic and the
// location inside the archive that shows it.
namespace HelpContents {

struct Entry
{
    QString name;     // as shown in the contents, such as "The converter window"
    QString location; // inside the archive, such as "TSHelp.htm#b"
    int depth = 0;    // 0 for the top level, 1 for an entry under it, ...
};

// The entries of a sitemap in their order; entries without a name are left out.
QList<Entry> parse(const QByteArray& sitemap);

} // namespace HelpContents
