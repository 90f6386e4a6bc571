#pragma once

#include <QString>
#include <QVariant>

// Conversions of column values, with the run-time errors a user of the old
// program would see: a NULL is "Invalid use of Null", text that is no number is
// a "Type mismatch", a number out of range an "Overflow".
namespace Variant {

QString toText(const QVariant& value);
// A decimal identifier, surrounding blanks allowed, within the signed 32-bit range.
qint32 toInt32(const QVariant& value);
double toDouble(const QVariant& value);

} // namespace Variant
