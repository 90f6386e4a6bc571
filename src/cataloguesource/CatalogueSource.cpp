#include "CatalogueSource.h"

#include "engine/ConversionEngine.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace CatalogueSource {

namespace {

const QString PropertiesFile = QStringLiteral("properties.txt");
const QString UnitsDirectory = QStringLiteral("units");
const QString NoValue = QStringLiteral("-");

// A fault inside a definition; the caller adds file and line.
struct ExpressionError
{
    QString message;
};

// Finds the size of a referenced unit: property (empty for the current one) and name.
using UnitLookup = std::function<double(const QString& propId, const QString& name)>;

// Evaluates a unit definition: numbers, + - * /, ^ with an integer exponent,
// parentheses and {Name} or {PropID:Name} references, in double precision.
class Evaluator
{
public:
    Evaluator(const QString& text, UnitLookup lookup) : m_text(text), m_lookup(std::move(lookup)) {}

    double evaluate()
    {
        const double value = sum();
        skipBlanks();
        if (m_pos < m_text.size())
            fail(QStringLiteral("unexpected '%1'").arg(m_text.at(m_pos)));
        return value;
    }

private:
    [[noreturn]] void fail(const QString& message) const
    {
        throw ExpressionError{
            QStringLiteral("bad definition '%1': %2 at column %3").arg(m_text, message).arg(m_pos + 1)};
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    bool accept(QChar c)
    {
        skipBlanks();
        if (m_pos < m_text.size() && m_text.at(m_pos) == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    double sum()
    {
        double value = product();
        for (;;) {
            if (accept(u'+'))
                value += product();
            else if (accept(u'-'))
                value -= product();
            else
                return value;
        }
    }

    double product()
    {
        double value = signedPower();
        for (;;) {
            if (accept(u'*')) {
                value *= signedPower();
            } else if (accept(u'/')) {
                const double divisor = signedPower();
                if (divisor == 0)
                    throw ExpressionError{QStringLiteral("division by zero in '%1'").arg(m_text)};
                value /= divisor;
            } else {
                return value;
            }
        }
    }

    double signedPower()
    {
        if (accept(u'-'))
            return -signedPower();
        if (accept(u'+'))
            return signedPower();
        return power();
    }

    double power()
    {
        const double base = primary();
        if (!accept(u'^'))
            return base;
        skipBlanks();
        static const QRegularExpression exponentPattern(QStringLiteral("\\G[+-]?[0-9]+"));
        const QRegularExpressionMatch match = exponentPattern.match(m_text, m_pos);
        if (!match.hasMatch())
            fail(QStringLiteral("an integer exponent is expected"));
        m_pos += match.capturedLength();
        const int exponent = match.captured().toInt();
        if (base == 0 && exponent < 0)
            throw ExpressionError{QStringLiteral("division by zero in '%1'").arg(m_text)};
        return std::pow(base, exponent);
    }

    double primary()
    {
        skipBlanks();
        if (m_pos >= m_text.size())
            fail(QStringLiteral("the definition ends early"));
        if (accept(u'(')) {
            const double value = sum();
            if (!accept(u')'))
                fail(QStringLiteral("')' is missing"));
            return value;
        }
        if (accept(u'{'))
            return reference();
        return number();
    }

    double number()
    {
        static const QRegularExpression numberPattern(
            QStringLiteral("\\G(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?"));
        const QRegularExpressionMatch match = numberPattern.match(m_text, m_pos);
        if (!match.hasMatch())
            fail(QStringLiteral("a number, '(' or '{' is expected"));
        m_pos += match.capturedLength();
        return match.captured().toDouble();
    }

    double reference()
    {
        const qsizetype close = m_text.indexOf(u'}', m_pos);
        if (close < 0)
            fail(QStringLiteral("'}' is missing"));
        const QString inside = m_text.mid(m_pos, close - m_pos).trimmed();
        m_pos = close + 1;
        static const QRegularExpression qualified(QStringLiteral("^([0-9]+)\\s*:\\s*(.+)$"));
        const QRegularExpressionMatch match = qualified.match(inside);
        if (match.hasMatch())
            return m_lookup(match.captured(1), match.captured(2).trimmed());
        if (inside.isEmpty())
            fail(QStringLiteral("an empty unit reference"));
        return m_lookup(QString(), inside);
    }

    const QString m_text;
    const UnitLookup m_lookup;
    qsizetype m_pos = 0;
};

struct SourceLine
{
    int number;
    QString text;
};

// The lines of a source file that are neither blank nor comments, trimmed.
QList<SourceLine> readLines(const QString& path, const QString& fileName)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SourceError(fileName, 0, QStringLiteral("cannot be read: %1").arg(file.errorString()));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    QList<SourceLine> result;
    for (int i = 0; i < lines.size(); ++i) {
        const QString text = lines.at(i).trimmed();
        if (!text.isEmpty() && !text.startsWith(u'#'))
            result.append({i + 1, text});
    }
    return result;
}

QStringList splitFields(const QString& text)
{
    QStringList fields = text.split(u'|');
    for (QString& field : fields)
        field = field.trimmed();
    return fields;
}

QString unitKey(const QString& propId, const QString& name)
{
    return propId + u':' + name.toCaseFolded();
}

// Reads properties.txt and checks identifiers, names and borrowing.
class PropertyReader
{
public:
    explicit PropertyReader(const QString& directory) : m_directory(directory) {}

    QList<Property> read()
    {
        for (const SourceLine& line : readLines(QDir(m_directory).filePath(PropertiesFile), PropertiesFile))
            m_properties.append(parse(line));
        for (const Property& property : std::as_const(m_properties))
            checkBorrowing(property);
        return m_properties;
    }

private:
    [[noreturn]] static void fail(int line, const QString& message)
    {
        throw SourceError(PropertiesFile, line, message);
    }

    Property parse(const SourceLine& line)
    {
        const QStringList fields = splitFields(line.text);
        if (fields.size() < 2 || fields.size() > 3)
            fail(line.number, QStringLiteral("expected 'PropID | name' or 'PropID | name | borrowsFromPropID'"));
        Property property{fields.at(0), fields.at(1), fields.value(2), PropertiesFile, line.number};
        if (!isValidId(property.id))
            fail(line.number, QStringLiteral("bad property ID '%1'").arg(property.id));
        if (property.name.isEmpty())
            fail(line.number, QStringLiteral("property %1 has no name").arg(property.id));
        if (fields.size() == 3 && !isValidId(property.borrowsFrom))
            fail(line.number, QStringLiteral("bad property ID '%1' to borrow from").arg(property.borrowsFrom));
        if (m_indexById.contains(property.id))
            fail(line.number, QStringLiteral("duplicate property ID %1").arg(property.id));
        const QString folded = property.name.toCaseFolded();
        if (m_names.contains(folded))
            fail(line.number, QStringLiteral("duplicate property name '%1'").arg(property.name));
        m_indexById.insert(property.id, m_properties.size());
        m_names.insert(folded);
        return property;
    }

    void checkBorrowing(const Property& property) const
    {
        if (property.borrowsFrom.isEmpty())
            return;
        if (!m_indexById.contains(property.borrowsFrom))
            fail(property.line,
                 QStringLiteral("property %1 borrows from unknown property %2").arg(property.id, property.borrowsFrom));
        const Property& target = m_properties.at(m_indexById.value(property.borrowsFrom));
        if (!target.borrowsFrom.isEmpty())
            fail(property.line, QStringLiteral("property %1 borrows from %2, which has no units of its own")
                                    .arg(property.id, target.id));
        if (isTemperatureProperty(property.id) || isTemperatureProperty(target.id))
            fail(property.line, QStringLiteral("a temperature property cannot borrow or lend units"));
    }

    const QString m_directory;
    QList<Property> m_properties;
    QHash<QString, int> m_indexById;
    QSet<QString> m_names;
};

// Reads the unit files in file-name order and evaluates every definition.
class UnitReader
{
public:
    UnitReader(const QString& directory, const QList<Property>& properties) : m_directory(directory)
    {
        for (const Property& property : properties)
            m_properties.insert(property.id, property);
    }

    QList<Unit> read()
    {
        const QDir unitsDir(QDir(m_directory).filePath(UnitsDirectory));
        if (!unitsDir.exists())
            throw SourceError(UnitsDirectory, 0, QStringLiteral("the units directory is missing"));
        const QStringList files =
            unitsDir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
        for (const QString& name : files)
            readFile(unitsDir.filePath(name), UnitsDirectory + u'/' + name);
        return m_units;
    }

    int unitCount(const QString& propId) const { return m_unitCounts.value(propId); }

    bool hasTemperatureUnit(const QString& propId, const QString& name) const
    {
        return m_temperatureNames.contains(unitKey(propId, name));
    }

private:
    void readFile(const QString& path, const QString& fileName)
    {
        QString propId;
        static const QRegularExpression header(QStringLiteral("^\\[(.*)\\]$"));
        for (const SourceLine& line : readLines(path, fileName)) {
            const QRegularExpressionMatch match = header.match(line.text);
            if (match.hasMatch()) {
                propId = match.captured(1).trimmed();
                checkBlock(propId, fileName, line.number);
            } else if (propId.isEmpty()) {
                throw SourceError(fileName, line.number, QStringLiteral("a unit before the first [PropID] header"));
            } else {
                addUnit(propId, fileName, line);
            }
        }
    }

    void checkBlock(const QString& propId, const QString& fileName, int line) const
    {
        if (!m_properties.contains(propId))
            throw SourceError(fileName, line, QStringLiteral("unknown property '%1'").arg(propId));
        const Property& property = m_properties.value(propId);
        if (!property.borrowsFrom.isEmpty())
            throw SourceError(fileName, line,
                              QStringLiteral("property %1 borrows the units of %2 and cannot have units of its own")
                                  .arg(propId, property.borrowsFrom));
    }

    void addUnit(const QString& propId, const QString& fileName, const SourceLine& line)
    {
        const auto fail = [&](const QString& message) { throw SourceError(fileName, line.number, message); };
        const QStringList fields = splitFields(line.text);
        if (fields.size() != 5)
            fail(QStringLiteral("expected 'UID | Name | definition | GNU units expression | source'"));
        Unit unit;
        unit.uid = fields.at(0);
        unit.name = fields.at(1);
        unit.propId = propId;
        unit.definition = fields.at(2);
        unit.gnuUnits = fields.at(3);
        unit.source = fields.at(4);
        unit.file = fileName;
        unit.line = line.number;
        if (unit.name.isEmpty() || unit.definition.isEmpty() || unit.gnuUnits.isEmpty() || unit.source.isEmpty())
            fail(QStringLiteral("every field must be filled (write '-' for no GNU units expression)"));
        // A shipped unit keeps its identifier for good: users' flags and updates find the row by it.
        if (!isValidId(unit.uid))
            fail(QStringLiteral("bad unit ID '%1'").arg(unit.uid));
        if (m_uids.contains(unit.uid))
            fail(QStringLiteral("duplicate unit ID %1").arg(unit.uid));
        m_uids.insert(unit.uid);
        if (unit.name.contains(u'{') || unit.name.contains(u'}'))
            fail(QStringLiteral("a unit name cannot contain '{' or '}'"));
        const QString key = unitKey(propId, unit.name);
        if (m_values.contains(key) || m_temperatureNames.contains(key))
            fail(QStringLiteral("duplicate unit name '%1' in property %2").arg(unit.name, propId));

        if (isTemperatureProperty(propId)) {
            if (!temperatureScales().contains(unit.name))
                fail(QStringLiteral("a temperature unit must be named Fahrenheit, Celsius, Rankine or Kelvin"));
            if (unit.definition != NoValue)
                fail(QStringLiteral("a temperature scale is converted by formula: its definition must be '-'"));
            m_temperatureNames.insert(key);
        } else {
            const bool first = !m_unitCounts.contains(propId);
            if (first && unit.definition != QStringLiteral("1"))
                fail(QStringLiteral("the first unit of property %1 is its reference unit: its definition must be 1")
                         .arg(propId));
            unit.value = evaluate(unit, fileName, line.number);
            unit.factor = 1.0 / unit.value;
            if (!std::isfinite(unit.factor) || unit.factor <= 0)
                fail(QStringLiteral("the factor of '%1' is out of range").arg(unit.name));
            m_values.insert(key, unit.value);
        }
        ++m_unitCounts[propId];
        m_units.append(unit);
    }

    double evaluate(const Unit& unit, const QString& fileName, int line) const
    {
        const UnitLookup lookup = [&](const QString& propId, const QString& name) {
            const QString owner = propId.isEmpty() ? unit.propId : propId;
            const QString key = unitKey(owner, name);
            if (m_temperatureNames.contains(key))
                throw ExpressionError{QStringLiteral("the temperature scale '%1' cannot be referenced").arg(name)};
            if (!m_values.contains(key))
                throw ExpressionError{QStringLiteral("unknown unit reference {%1%2} (a unit must be defined before "
                                                     "it is referenced)")
                                          .arg(propId.isEmpty() ? QString() : propId + u':', name)};
            return m_values.value(key);
        };
        double value = 0;
        try {
            value = Evaluator(unit.definition, lookup).evaluate();
        } catch (const ExpressionError& error) {
            throw SourceError(fileName, line, error.message);
        }
        if (!std::isfinite(value))
            throw SourceError(fileName, line, QStringLiteral("the value of '%1' is not finite").arg(unit.name));
        if (value <= 0)
            throw SourceError(fileName, line, QStringLiteral("the value of '%1' is not positive").arg(unit.name));
        return value;
    }

    const QString m_directory;
    QHash<QString, Property> m_properties;
    QList<Unit> m_units;
    QHash<QString, double> m_values;
    QSet<QString> m_temperatureNames;
    QSet<QString> m_uids;
    QHash<QString, int> m_unitCounts;
};

// Every property with units of its own needs at least two, and a temperature property all four scales.
void checkUnitCounts(const QList<Property>& properties, const UnitReader& units)
{
    for (const Property& property : properties) {
        if (!property.borrowsFrom.isEmpty())
            continue;
        if (isTemperatureProperty(property.id)) {
            for (const QString& scale : temperatureScales()) {
                if (!units.hasTemperatureUnit(property.id, scale))
                    throw SourceError(
                        property.file, property.line,
                        QStringLiteral("temperature property %1 lacks the scale %2").arg(property.id, scale));
            }
        } else if (units.unitCount(property.id) < 2) {
            throw SourceError(property.file, property.line,
                              QStringLiteral("property %1 has fewer than two units").arg(property.id));
        }
    }
}

} // namespace

SourceError::SourceError(const QString& file, int line, const QString& message)
    : std::runtime_error(QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(message).toStdString()), m_file(file),
      m_line(line), m_message(message)
{
}

bool isTemperatureProperty(const QString& propId)
{
    const QList<qint32>& ids = TemperatureProperties();
    return std::any_of(ids.cbegin(), ids.cend(), [&](qint32 id) { return propId == QString::number(id); });
}

QStringList temperatureScales()
{
    return TemperatureScales();
}

bool isValidId(const QString& id)
{
    static const QRegularExpression digits(QStringLiteral("^(0|[1-9][0-9]{0,9})$"));
    if (!digits.match(id).hasMatch())
        return false;
    return id.toLongLong() <= std::numeric_limits<qint32>::max();
}

void checkAgainstConverter(const Catalogue& catalogue)
{
    const QString table = QStringLiteral("the converter's table UnitBorrowings() in src/engine/ConversionEngine.cpp");
    QHash<QString, QString> lenders;
    for (const UnitBorrowing& borrowing : UnitBorrowings())
        lenders.insert(QString::number(borrowing.property), QString::number(borrowing.unitsOf));
    QSet<QString> present;
    for (const Property& property : catalogue.properties) {
        present.insert(property.id);
        const QString lender = lenders.value(property.id);
        if (property.borrowsFrom == lender)
            continue;
        const QString listed = property.borrowsFrom.isEmpty() ? QStringLiteral("has units of its own")
                                                              : QStringLiteral("borrows from ") + property.borrowsFrom;
        const QString expected =
            lender.isEmpty() ? QStringLiteral("lists its own units") : QStringLiteral("lists the units of ") + lender;
        throw SourceError(
            property.file, property.line,
            QStringLiteral("property %1 %2, but %3 %4; make the two agree").arg(property.id, listed, table, expected));
    }
    for (auto lender = lenders.cbegin(); lender != lenders.cend(); ++lender) {
        if (!present.contains(lender.key()))
            throw SourceError(PropertiesFile, 0,
                              QStringLiteral("no property %1, which %2 lists the units of %3 for")
                                  .arg(lender.key(), table, lender.value()));
    }
    for (const qint32 id : TemperatureProperties()) {
        if (!present.contains(QString::number(id)))
            throw SourceError(PropertiesFile, 0,
                              QStringLiteral("no property %1, which the converter converts by formula between "
                                             "temperature scales (TemperatureProperties() in "
                                             "src/engine/ConversionEngine.cpp)")
                                  .arg(id));
    }
}

Catalogue load(const QString& directory)
{
    Catalogue catalogue;
    catalogue.properties = PropertyReader(directory).read();
    UnitReader units(directory, catalogue.properties);
    catalogue.units = units.read();
    checkUnitCounts(catalogue.properties, units);
    return catalogue;
}

} // namespace CatalogueSource
