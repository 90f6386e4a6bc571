#include "Seeds.h"

#include "CatalogueRows.h"

namespace Seeds {

using TestKit::addRows;

void shipped(TestDatabase& db)
{
    db.useShippedCatalogue();
}

void temperature(TestDatabase& db)
{
    addRows(db, {{"92", "Temperature"}},
            {{"921", "Celsius", 1, "92"},
             {"922", "Fahrenheit", 1, "92"},
             {"923", "Kelvin", 1, "92"},
             {"924", "celsius", 1, "92"},
             {"925", "Centigrade", 1, "92"}});
}

void lengths(TestDatabase& db)
{
    addRows(db, {{"1015", "Length"}},
            {{"11", "A", 1, "1015"}, {"12", "B", 2, "1015"}, {"13", "Big", 10, "1015"}, {"14", "Zero", 0, "1015"}});
}

void feet(TestDatabase& db)
{
    addRows(db, {{"1015", "Length"}},
            {{"11", "Fathom", 0.5, "1015"}, {"12", "Foot", 1, "1015"}, {"13", "Inch", 12, "1015"}});
}

void mixedLengths(TestDatabase& db)
{
    addRows(db,
            {{"1015", "Length"},
             {"1040", "Distance"},
             {"92", "temperature"},
             {"2000", "Hidden Property", "1"},
             {"3000", "Empty"}},
            {{"1", "Metre", 1.0, "1015"},
             {"2", "Centimetre", 100.0, "1015"},
             {"3", "Rod", 0.2, "1015", "1"},
             {"4", "Nothing", 0.0, "1015"},
             {"20", "Hidden Unit", 1.0, "2000"},
             {"30", "Invisible", 1.0, "3000", "1"}});
}

void flaggedProperties(TestDatabase& db)
{
    addRows(db,
            {{"1012", "Length"},
             {"1020", "Distance"},
             {"11", "area"},
             {"12", "Mass"},
             {"13", "power", "1"},
             {"14", "Speed", "1"},
             {"15", "Odd", "2"}},
            {{"1", "metre", 1.0, "1012"},
             {"2", "Foot", 3.28084, "1012"},
             {"3", "inch", 39.3701, "1012", "1"},
             {"4", "Yard", 1.09361, "1012", "1"},
             {"5", "league", 0.000207, "1012", "x"},
             {"6", "gram", 1000.0, "12"}});
}

} // namespace Seeds
