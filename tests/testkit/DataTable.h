#pragma once

// A data-driven test's table written as a table: the columns named once with
// their types, then one call per row, so that each case reads as one line.
//
//     const TestKit::DataTable<QString, int> row("text", "length");
//     row("empty", "", 0);
//     row("two letters", "ab", 2);

#include <QtTest>

namespace TestKit {

template <typename... Columns> class DataTable
{
public:
    // Adds one column of each type, named in order.
    template <typename... Names> explicit DataTable(const Names&... names)
    {
        static_assert(sizeof...(Names) == sizeof...(Columns), "one name per column");
        (QTest::addColumn<Columns>(names), ...);
    }

    // Adds the row `tag` with one value per column.
    void operator()(const char* tag, const Columns&... values) const { (QTest::newRow(tag) << ... << values); }
};

} // namespace TestKit
