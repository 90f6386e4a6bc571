// The catalogue source reader either refuses its input with a located fault or
// returns a catalogue that keeps every rule the program relies on.
#include "FuzzSupport.h"

#include "cataloguesource/CatalogueSource.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <cmath>

namespace {

void write(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureApplication();
    static QTemporaryDir dir;
    static const bool made = QDir(dir.path()).mkpath(QStringLiteral("units"));
    (void)made;
    // The input holds both files, split at the first NUL byte.
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = input.indexOf('\0');
    write(dir.filePath(QStringLiteral("properties.txt")), split < 0 ? input : input.left(split));
    write(dir.filePath(QStringLiteral("units/a.txt")), split < 0 ? QByteArray() : input.mid(split + 1));

    try {
        const CatalogueSource::Catalogue catalogue = CatalogueSource::load(dir.path());
        QSet<QString> ids;
        for (const CatalogueSource::Property& property : catalogue.properties) {
            FUZZ_CHECK(CatalogueSource::isValidId(property.id), "bad property id %s", qPrintable(property.id));
            FUZZ_CHECK(!ids.contains(property.id), "property id %s twice", qPrintable(property.id));
            ids.insert(property.id);
        }
        QSet<QString> names;
        QSet<QString> uids;
        for (const CatalogueSource::Unit& unit : catalogue.units) {
            FUZZ_CHECK(CatalogueSource::isValidId(unit.uid), "bad unit id %s", qPrintable(unit.uid));
            FUZZ_CHECK(!uids.contains(unit.uid), "unit id %s twice", qPrintable(unit.uid));
            uids.insert(unit.uid);
            FUZZ_CHECK(std::isfinite(unit.factor) && unit.factor > 0, "factor %g of %s", unit.factor,
                       qPrintable(unit.name));
            FUZZ_CHECK(ids.contains(unit.propId), "unit %s of unknown property", qPrintable(unit.name));
            const QString key = unit.propId + QLatin1Char('|') + unit.name.toCaseFolded();
            FUZZ_CHECK(!names.contains(key), "unit %s twice", qPrintable(unit.name));
            names.insert(key);
        }
    } catch (const CatalogueSource::SourceError&) {
    }
    return 0;
}
