#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <stdexcept>

// The human-readable sources of the shipped catalogue: catalogue/properties.txt
// and catalogue/units/*.txt, described in catalogue/README.md. The build turns
// them into the rows of tbProperty and tbUnits.
namespace CatalogueSource {

struct Property
{
    QString id;
    QString name;
    QString borrowsFrom; // the property whose units this one lists; empty if it has its own
    QString file;
    int line = 0;
};

struct Unit
{
    QString uid; // as written in the source: a shipped unit keeps it for good
    QString name;
    QString propId;
    QString definition; // as written in the source
    double value = 1;   // size of one of this unit in the property's reference unit
    double factor = 1;  // how many of this unit make one reference unit (the stored factor)
    QString gnuUnits;   // the same unit as a GNU units expression, or "-" for none
    QString source;     // where the definition comes from
    QString file;
    int line = 0;
};

struct Catalogue
{
    QList<Property> properties;
    QList<Unit> units;
};

// A fault in the sources, located by file (relative to the catalogue directory) and line.
class SourceError : public std::runtime_error
{
public:
    SourceError(const QString& file, int line, const QString& message);

    QString file() const { return m_file; }
    int line() const { return m_line; }
    QString message() const { return m_message; }

private:
    QString m_file;
    int m_line;
    QString m_message;
};

// The properties converted by formula between the temperature scales (the
// converter's TemperatureProperties()); their factors are never read.
bool isTemperatureProperty(const QString& propId);

// The names a unit of a temperature property must have, exactly (the converter's TemperatureScales()).
QStringList temperatureScales();

// Whether an identifier is decimal digits without leading zeros within the signed 32-bit range.
bool isValidId(const QString& id);

// Reads and checks a catalogue directory; throws SourceError on the first fault.
Catalogue load(const QString& directory);

// Checks that the properties borrow units exactly as the converter's table
// (UnitBorrowings()) says, and that every property the converter takes for a
// temperature is there; throws SourceError at the first disagreement. The
// shipped catalogue must pass; a catalogue made for a test need not.
void checkAgainstConverter(const Catalogue& catalogue);

} // namespace CatalogueSource
