#include "CatalogueLocation.h"

#include "RuntimeError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

bool canWrite(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// The folder must be writable too: the engine keeps its journal or log beside the file.
bool writableLocation(const QString& file, const QString& folder)
{
    return canWrite(folder) && (!QFileInfo::exists(file) || canWrite(file));
}

[[noreturn]] void copyFailed(const QString& from, const QString& to, const QString& why)
{
    throw RuntimeError(ErrorNumber::ProviderError,
                       QStringLiteral("Could not copy the catalogue '%1' to '%2': %3").arg(from, to, why));
}

// Makes the user's file from `origin` where it is missing; a failure is noted, not fatal.
bool ensureCopy(const QString& origin, const QString& target, QStringList& notes)
{
    if (QFileInfo::exists(target))
        return true;
    if (origin.isEmpty() || !QFileInfo::exists(origin))
        return false;
    try {
        copyCatalogue(origin, target);
    } catch (const RuntimeError& error) {
        notes << error.description();
        return false;
    }
    return true;
}

} // namespace

QString CatalogueLocation::seedName(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.completeBaseName() + QStringLiteral(".seed.") + info.suffix();
}

CatalogueLocation CatalogueLocation::find(const QString& programDir, const QString& fileName, const QString& perUserDir)
{
    const QDir dir(programDir);
    const QString beside = dir.filePath(fileName);
    const QString seed = dir.filePath(seedName(fileName));
    const bool hasSeed = QFileInfo::exists(seed);

    CatalogueLocation location;
    location.live = beside;
    if (writableLocation(beside, programDir)) {
        // A build or a portable copy: the user's file is the one beside the program.
        if (hasSeed)
            ensureCopy(seed, beside, location.notes);
        location.shipped = hasSeed ? seed : QString();
        return location;
    }

    const QString origin = QFileInfo::exists(beside) ? beside : hasSeed ? seed : QString();
    if (perUserDir.isEmpty() || origin.isEmpty())
        return location;
    const QString perUser = QDir(perUserDir).filePath(fileName);
    if (!QDir().mkpath(perUserDir))
        location.notes << QStringLiteral("Could not create the folder '%1'.").arg(perUserDir);
    else if (ensureCopy(origin, perUser, location.notes)) {
        location.live = perUser;
        location.perUser = true;
        location.shipped = hasSeed ? seed : beside;
    }
    return location;
}

void copyCatalogue(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        copyFailed(from, to, source.errorString());
    const QString temporary = to + QStringLiteral(".tmp-%1").arg(QCoreApplication::applicationPid());
    QFile target(temporary);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        copyFailed(from, to, target.errorString());
    bool written = true;
    while (written && !source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        written = !block.isEmpty() && target.write(block) == block.size();
    }
    written = written && source.error() == QFileDevice::NoError && target.flush() && ::fsync(target.handle()) == 0;
    const QString why = target.errorString();
    target.close();
    target.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (written && QFileInfo::exists(to)) {
        QFile::remove(temporary);
        copyFailed(from, to, QStringLiteral("the file exists"));
    }
    if (!written || std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(to).constData()) != 0) {
        const QString reason = written ? QString::fromLocal8Bit(std::strerror(errno)) : why;
        QFile::remove(temporary);
        copyFailed(from, to, reason);
    }
}
