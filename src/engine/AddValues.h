#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// Adding a property with its base unit, or a unit to a property, to the
// catalogue and to the record of user additions. Every write goes through the
// shared connection; typed names reach SQL only as bound parameters.

// Where MakeClockID reads the local date and time; an empty source means the
// system clock.
using ClockSource = std::function<QDateTime()>;
void setClockSource(ClockSource source);

// Eight digits from the local time: day+10, minute+10, hour+10, second+10.
QString MakeClockID();
QString ClockID(const QDateTime& when);

namespace AddValues {

struct AddedProperty
{
    QString propId;
    QString unitId;
};

// True when a property already holds exactly `name`, letter case included.
bool propertyNameTaken(const QString& name);
// True when a unit of property `propId` already holds exactly `name`.
bool unitNameTaken(const QString& name, const QString& propId);
// The stored factor of unit `uid`, read as a double.
double unitFactor(qint32 uid);

// Stores the property and its base unit (factor 1) in the catalogue and in the
// user record, all in one transaction. Throws RuntimeError and stores nothing
// when any write fails.
AddedProperty addProperty(const QString& name, const QString& baseUnit);
// Stores a unit of `propId` with `factor` in the catalogue and in the user
// record, in one transaction. Throws RuntimeError and stores nothing on failure.
QString addUnit(const QString& name, double factor, const QString& propId);

} // namespace AddValues
