#pragma once

#include <QString>

// Remembers the one catalogue file last read through and found sound, as the
// file it was then: device, inode, size, modified and changed times. A start-up
// that finds the same file, its log beside it empty, need not read it through
// again, for damage or for its tables' columns. Any write to the file moves its
// changed time, which no program can set back, so a file damaged or replaced
// since is read through as before. With no folder, or one that cannot be
// written, nothing is remembered.
class CheckedFile
{
public:
    explicit CheckedFile(QString folder = QString());

    // The file at `path` is the one found sound, unchanged since.
    bool unchanged(const QString& path) const;
    // The file at `path`, as it is now, was read through and found sound.
    void remember(const QString& path) const;

private:
    QString recordPath() const;
    // The file's identity and times, and the columns it was checked for; empty
    // when it cannot be looked at.
    static QByteArray witness(const QString& path);

    QString m_folder;
};
