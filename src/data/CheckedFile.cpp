#include "CheckedFile.h"

#include "Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

namespace {

qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// A log with frames in it is read with the file: what it holds was never read through.
bool logIsEmpty(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path + QStringLiteral("-wal")).constData(), &info) != 0 || info.st_size == 0;
}

// The tables and columns the file was checked for: a program that reads it by
// others checks it anew.
QByteArray checkedFor()
{
    QByteArray text;
    for (const QString& table : Schema::tables())
        text += table.toUtf8() + '(' + Schema::columns(table).join(QLatin1Char(',')).toUtf8() + ")\n";
    return text;
}

} // namespace

CheckedFile::CheckedFile(QString folder) : m_folder(std::move(folder)) {}

QString CheckedFile::recordPath() const
{
    return m_folder.isEmpty() ? QString() : QDir(m_folder).filePath(QStringLiteral("checked-catalogue"));
}

QByteArray CheckedFile::witness(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QByteArray();
    return QFile::encodeName(QFileInfo(path).absoluteFilePath()) + '\n' + QByteArray::number(quint64(info.st_dev)) +
           ' ' + QByteArray::number(quint64(info.st_ino)) + ' ' + QByteArray::number(qint64(info.st_size)) + ' ' +
           QByteArray::number(nanoseconds(info.st_mtim)) + ' ' + QByteArray::number(nanoseconds(info.st_ctim)) + '\n' +
           checkedFor();
}

bool CheckedFile::unchanged(const QString& path) const
{
    const QString record = recordPath();
    if (record.isEmpty() || !logIsEmpty(path))
        return false;
    QFile file(record);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray now = witness(path);
    return !now.isEmpty() && file.readAll() == now;
}

void CheckedFile::remember(const QString& path) const
{
    const QString record = recordPath();
    const QByteArray now = witness(path);
    if (record.isEmpty() || now.isEmpty() || !QDir().mkpath(m_folder))
        return;
    QSaveFile file(record);
    if (file.open(QIODevice::WriteOnly) && file.write(now) == now.size())
        file.commit();
}
