// Whatever file lies where the catalogue should be, opening it and reading
// every list the windows read ends in rows or in a run-time error, never in a
// crash or a hang.
#include "FuzzSupport.h"

#include "data/RuntimeError.h"
#include "data/Variant.h"
#include "data/modMain.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

void readAll(const QString& sql, const QList<int>& idColumns, const QList<int>& textColumns, int numberColumn)
{
    modMain::OpenRecordset(sql);
    try {
        while (!modMain::dbRecordset.Eof()) {
            for (int column : idColumns)
                Variant::toInt32(modMain::dbRecordset.Fields(column).Value());
            for (int column : textColumns)
                Variant::toText(modMain::dbRecordset.Fields(column).Value());
            if (numberColumn >= 0) {
                Variant::toDouble(modMain::dbRecordset.Fields(numberColumn).Value());
            }
            modMain::dbRecordset.MoveNext();
        }
    } catch (const RuntimeError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureApplication();
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tessaly.mdb"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    modMain::dbConnection.ConnectionString = path;
    try {
        modMain::dbConnection.Open();
    } catch (const RuntimeError&) {
        return 0;
    }
    readAll(QStringLiteral("select * from tbProperty"), {0}, {1, 2}, -1);
    readAll(QStringLiteral("select * from tbUnits where PropID = ?"), {0}, {1, 3, 4}, 2);
    readAll(QStringLiteral("select * from tbUnits"), {0, 3}, {1, 4}, 2);
    if (modMain::dbRecordset.isOpen())
        modMain::dbRecordset.Close();
    modMain::dbConnection.Close();
    return 0;
}
