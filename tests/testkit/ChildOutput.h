#pragma once

// What the helper programs the tests start (scripted_user, writer_child) tell
// their test: one line at a time, flushed at once, so that a line the test has
// read was really reached even when the helper is killed right after.

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace TestKit {

inline void say(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

// Reports a fault on one line and ends the helper.
[[noreturn]] inline void fault(const QString& text)
{
    say(QStringLiteral("fault ") + QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    std::exit(3);
}

} // namespace TestKit
