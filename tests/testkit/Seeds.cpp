#include "Seeds.h"

namespace Seeds {

void addProperties(TestDatabase& db, const QList<QStringList>& rows)
{
    for (const QStringList& row : rows)
        db.addProperty(row.value(0), row.value(1), row.value(2, QStringLiteral("0")));
}

void addUnits(TestDatabase& db, const QString& propId, const QList<QVariantList>& rows)
{
    for (const QVariantList& row : rows)
        db.addUnit(row.value(0).toString(), row.value(1).toString(), row.value(2), propId,
                   row.value(3, QStringLiteral("0")).toString());
}

void shipped(TestDatabase& db)
{
    db.useShippedCatalogue();
}

void temperature(TestDatabase& db)
{
    db.addProperty("92", "Temperature");
    addUnits(db, "92",
             {{"921", "Celsius", 1},
              {"922", "Fahrenheit", 1},
              {"923", "Kelvin", 1},
              {"924", "celsius", 1},
              {"925", "Centigrade", 1}});
}

void lengths(TestDatabase& db)
{
    db.addProperty("1015", "Length");
    addUnits(db, "1015", {{"11", "A", 1}, {"12", "B", 2}, {"13", "Big", 10}, {"14", "Zero", 0}});
}

void feet(TestDatabase& db)
{
    db.addProperty("1015", "Length");
    addUnits(db, "1015", {{"11", "Fathom", 0.5}, {"12", "Foot", 1}, {"13", "Inch", 12}});
}

void mixedLengths(TestDatabase& db)
{
    addProperties(db, {{"1015", "Length"},
                       {"1040", "Distance"},
                       {"92", "temperature"},
                       {"2000", "Hidden Property", "1"},
                       {"3000", "Empty"}});
    addUnits(db, "1015",
             {{"1", "Metre", 1.0}, {"2", "Centimetre", 100.0}, {"3", "Rod", 0.2, "1"}, {"4", "Nothing", 0.0}});
    addUnits(db, "2000", {{"20", "Hidden Unit", 1.0}});
    addUnits(db, "3000", {{"30", "Invisible", 1.0, "1"}});
}

void flaggedProperties(TestDatabase& db)
{
    addProperties(db, {{"1012", "Length"},
                       {"1020", "Distance"},
                       {"11", "area"},
                       {"12", "Mass"},
                       {"13", "power", "1"},
                       {"14", "Speed", "1"},
                       {"15", "Odd", "2"}});
    addUnits(db, "1012",
             {{"1", "metre", 1.0},
              {"2", "Foot", 3.28084},
              {"3", "inch", 39.3701, "1"},
              {"4", "Yard", 1.09361, "1"},
              {"5", "league", 0.000207, "x"}});
    addUnits(db, "12", {{"6", "gram", 1000.0}});
}

} // namespace Seeds
