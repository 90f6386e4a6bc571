#include "ShowHelpTopic.h"

#include "ChmFile.h"
#include "HelpViewer.h"
#include "kit/MessageBox.h"

#include <QApplication>
#include <QWidget>

#include <memory>

namespace {

// chmlib is loaded at run time, so nothing but this line tells the user which package it comes in.
const QString MissingHelpLibrary =
    QStringLiteral("The help library chmlib (libchm.so.1) is not installed. Install the package libchm1, "
                   "for example with: sudo apt-get install libchm1");
// The help reader is part of the program; without it no help can be read.
const QString MissingHelpReader =
    QStringLiteral("The help reader %1 could not be started. Installing Quantaro again restores it.");

QString& helpDirectorySetting()
{
    static QString directory;
    return directory;
}

// A help location split into its parts: "dir/TSHelp.chm::\TSHelp.htm#b"
// is the archive "dir/TSHelp.chm", the page "/TSHelp.htm" and the topic "b".
struct HelpTopic
{
    QString archive;
    QString page;
    QString anchor;
};

HelpTopic splitLocation(const QString& location)
{
    const qsizetype separator = location.lastIndexOf(QLatin1String("::"));
    HelpTopic topic;
    topic.archive = location.left(separator);
    // Inside the archive, paths are separated by slashes; the topic is written
    // with the backslash of the Windows help file location.
    QString inside = location.mid(separator + 2).replace(QLatin1Char('\\'), QLatin1Char('/'));
    const qsizetype hash = inside.indexOf(QLatin1Char('#'));
    if (hash >= 0) {
        topic.anchor = inside.mid(hash + 1);
        inside.truncate(hash);
    }
    topic.page = inside.startsWith(QLatin1Char('/')) ? inside : QLatin1Char('/') + inside;
    return topic;
}

// The open help window of `owner`; a closed one that awaits deletion is not reused.
HelpViewer* openViewerOf(QWidget* owner)
{
    if (owner)
        for (HelpViewer* viewer : owner->findChildren<HelpViewer*>(QString(), Qt::FindDirectChildrenOnly))
            if (!viewer->isHidden())
                return viewer;
    if (!owner)
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* viewer = qobject_cast<HelpViewer*>(window); viewer && !viewer->parent() && !viewer->isHidden())
                return viewer;
    return nullptr;
}

void openTopic(QWidget* owner, const QString& anchor, const QString& failureMessage)
{
    const HelpTopic topic = splitLocation(helpDirectory() + QLatin1String("/TSHelp.chm::") + anchor);
    auto archive = std::make_unique<ChmFile>(topic.archive);
    if (archive->status() == ChmFile::Status::LibraryUnavailable) {
        MessageBox::showWithDetail(owner, failureMessage, MissingHelpLibrary, MsgStyle::Critical, BoxTitle);
        return;
    }
    if (archive->status() == ChmFile::Status::ReaderUnavailable) {
        MessageBox::showWithDetail(owner, failureMessage, MissingHelpReader.arg(ChmFile::readerProgram()),
                                   MsgStyle::Critical, BoxTitle);
        return;
    }
    HelpViewer* viewer = openViewerOf(owner);
    if (!viewer)
        viewer = new HelpViewer(owner); // without an owner it deletes itself when closed
    // Shown before the page is set, so the page is laid out at the window's
    // real size and the topic ends up at the top.
    viewer->present();
    viewer->showTopic(std::move(archive), topic.page, topic.anchor);
}

} // namespace

void ShowHelpTopic(QWidget* owner, const QString& anchor, const QString& failureMessage)
{
    try {
        openTopic(owner, anchor, failureMessage);
    } catch (...) {
        MessageBox::show(owner, failureMessage, MsgStyle::Critical, BoxTitle);
    }
}

void setHelpDirectory(const QString& directory)
{
    helpDirectorySetting() = directory;
}

QString helpDirectory()
{
    const QString& directory = helpDirectorySetting();
    return directory.isEmpty() ? QCoreApplication::applicationDirPath() : directory;
}
