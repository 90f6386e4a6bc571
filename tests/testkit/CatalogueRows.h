#pragma once

// A test's small catalogue written as a table: one brace of fields per
// property and per unit, flags visible unless given.
//
//     TestKit::addRows(db, {{"1015", "Length"}}, {{"1", "Metre", 1.0, "1015"}, {"2", "inch", 39.37, "1015", "1"}});

#include "TestDatabase.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace TestKit {

struct PropertyRow
{
    QString id;
    QString name;
    QString flag = QStringLiteral("0");
};

struct UnitRow
{
    QString uid;
    QString name;
    QVariant factor; // any value the column may hold, a faulty one too
    QString propId;
    QString flag = QStringLiteral("0");
};

inline void addRows(TestDatabase& db, const QList<PropertyRow>& properties, const QList<UnitRow>& units = {})
{
    for (const PropertyRow& property : properties)
        db.addProperty(property.id, property.name, property.flag);
    for (const UnitRow& unit : units)
        db.addUnit(unit.uid, unit.name, unit.factor, unit.propId, unit.flag);
}

} // namespace TestKit
