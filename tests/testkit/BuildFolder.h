#pragma once

// The files the build puts beside the program: the built catalogues, TSHelp.chm,
// the program, its help reader and the tools and helper programs the tests start.

#include <QCoreApplication>
#include <QString>

namespace TestKit {

// The build folder ctest names in QUANTARO_BUILD_DIR; a test started by hand
// from the build folder finds it as its own.
inline QString buildDir()
{
    const QString dir = qEnvironmentVariable("QUANTARO_BUILD_DIR");
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
}

inline QString builtFile(const QString& name)
{
    return buildDir() + QLatin1Char('/') + name;
}

} // namespace TestKit
