#pragma once

// The small catalogues the window tests fill their fresh test file with, each
// written once as a table of rows, and the test file opened on them before a
// window loads.

#include "TestDatabase.h"

namespace Seeds {

// A copy of the catalogue the build ships.
void shipped(TestDatabase& db);
// "Temperature" (92) with its three scales and two other names of Celsius.
void temperature(TestDatabase& db);
// "Length" (1015) with A, B, Big and Zero, of factors 1, 2, 10 and 0.
void lengths(TestDatabase& db);
// "Length" (1015) with units whose names share their first letters, as type-ahead meets them.
void feet(TestDatabase& db);
// Length (1015) with visible and hidden units, a property that borrows its
// list, a hidden property, and one without visible units.
void mixedLengths(TestDatabase& db);
// Four visible properties, two hidden, one with a flag that is neither;
// "Distance" (1020) has no units of its own and lists those of "Length" (1012).
void flaggedProperties(TestDatabase& db);

} // namespace Seeds

// A fresh test catalogue filled by the given seeds in turn, then opened as the
// program's shared connection.
class SeededDatabase
{
public:
    template <typename... Seed> explicit SeededDatabase(const Seed&... seeds)
    {
        (seeds(db), ...);
        db.openShared();
    }

    TestDatabase db;
};

// A page on a seeded catalogue: the window is made once the catalogue is open
// and is gone before the catalogue closes.
template <typename Page> class On : public SeededDatabase, public Page
{
public:
    template <typename... Seed> explicit On(const Seed&... seeds) : SeededDatabase(seeds...) {}
};
