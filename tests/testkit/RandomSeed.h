#pragma once

// The seed of a randomised test: QUANTARO_SEED repeats a run, otherwise the
// test's own default keeps every run the same.

#include <QtGlobal>

namespace TestKit {

inline quint32 suiteSeed(quint32 defaultSeed)
{
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("QUANTARO_SEED").toUInt(&ok);
    return ok ? seed : defaultSeed;
}

} // namespace TestKit
