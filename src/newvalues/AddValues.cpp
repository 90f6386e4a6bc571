#include "AddValues.h"

#include "data/RuntimeError.h"
#include "data/Variant.h"
#include "data/modMain.h"

#include <limits>

namespace {

ClockSource& clockSource()
{
    static ClockSource source;
    return source;
}

// One unit of work on the shared connection: rolled back unless committed.
class Transaction
{
public:
    Transaction() { modMain::dbConnection.BeginTrans(); }
    ~Transaction()
    {
        if (m_committed)
            return;
        try {
            modMain::dbConnection.RollbackTrans();
        } catch (const RuntimeError&) {
            // The write that failed is being reported already; nothing more to add.
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit()
    {
        modMain::dbConnection.CommitTrans();
        m_committed = true;
    }

private:
    bool m_committed = false;
};

// Points the shared result set at `sql`, raising the engine's error when the
// query cannot run, so that a failed write is reported with its reason.
void openShared(const QString& sql, const QVariantList& params = {})
{
    if (modMain::dbRecordset.isOpen())
        modMain::dbRecordset.Close();
    modMain::dbRecordset.Open(sql, params, &modMain::dbConnection);
}

// True when any row of the query holds exactly `text` in column `column`. The
// SQL comparison ignores letter case, so every row it finds is compared again.
bool anyRowHolds(const QString& sql, const QVariantList& params, int column, const QString& text)
{
    Recordset rows;
    rows.Open(sql, params, &modMain::dbConnection);
    for (; !rows.Eof(); rows.MoveNext()) {
        if (Variant::toText(rows.Fields(column).Value()) == text)
            return true;
    }
    return false;
}

bool idTaken(const QString& id, const QStringList& queries)
{
    for (const QString& sql : queries) {
        Recordset rows;
        rows.Open(sql, {id}, &modMain::dbConnection);
        if (!rows.Eof())
            return true;
    }
    return false;
}

// The clock's identifier, or the next number after it that none of the
// queries finds.
QString nextFreeId(const QString& clockId, const QStringList& queries)
{
    qint64 id = clockId.toLongLong();
    while (idTaken(QString::number(id), queries)) {
        if (id >= std::numeric_limits<qint32>::max())
            throw RuntimeError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
        ++id;
    }
    return QString::number(id);
}

QString newPropertyId()
{
    return nextFreeId(MakeClockID(), {QStringLiteral("select * from tbProperty where PropID = ?"),
                                      QStringLiteral("select * from tbUserProperty where PropID = ?")});
}

QString newUnitId()
{
    return nextFreeId(MakeClockID(), {QStringLiteral("select * from tbUnits where UID = ?"),
                                      QStringLiteral("select * from tbUserUnits where UID = ?")});
}

void appendProperty(const QString& table, const QString& propId, const QString& name)
{
    openShared(QStringLiteral("select * from ") + table);
    modMain::dbRecordset.AddNew();
    modMain::dbRecordset.Fields(0).setValue(propId);
    modMain::dbRecordset.Fields(1).setValue(name);
    modMain::dbRecordset.Fields(2).setValue(QStringLiteral("0"));
    modMain::dbRecordset.Update();
}

void appendUnit(const QString& table, const QString& uid, const QString& propId, const QString& name,
                const QVariant& factor)
{
    openShared(QStringLiteral("select * from ") + table);
    modMain::dbRecordset.AddNew();
    modMain::dbRecordset.Fields(0).setValue(uid);
    modMain::dbRecordset.Fields(3).setValue(propId);
    modMain::dbRecordset.Fields(1).setValue(name);
    modMain::dbRecordset.Fields(2).setValue(factor);
    modMain::dbRecordset.Fields(4).setValue(QStringLiteral("0"));
    modMain::dbRecordset.Update();
}

} // namespace

void setClockSource(ClockSource source)
{
    clockSource() = std::move(source);
}

QString ClockID(const QDateTime& when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    return QString::number(date.day() + 10) + QString::number(time.minute() + 10) + QString::number(time.hour() + 10) +
           QString::number(time.second() + 10);
}

QString MakeClockID()
{
    const ClockSource& source = clockSource();
    return ClockID(source ? source() : QDateTime::currentDateTime());
}

namespace AddValues {

bool propertyNameTaken(const QString& name)
{
    return anyRowHolds(QStringLiteral("Select * from tbProperty where propname = ?"), {name}, 1, name);
}

bool unitNameTaken(const QString& name, const QString& propId)
{
    return anyRowHolds(QStringLiteral("Select * from tbUnits where uname = ? and propID = ?"), {name, propId}, 1, name);
}

double unitFactor(qint32 uid)
{
    Recordset unit;
    unit.Open(QStringLiteral("select * from tbUnits where UID = ?"), {QString::number(uid)}, &modMain::dbConnection);
    return Variant::toDouble(unit.Fields(2).Value());
}

AddedProperty addProperty(const QString& name, const QString& baseUnit)
{
    Transaction transaction;
    AddedProperty added;
    added.propId = newPropertyId();
    appendProperty(QStringLiteral("tbProperty"), added.propId, name);
    added.unitId = newUnitId();
    appendUnit(QStringLiteral("tbUnits"), added.unitId, added.propId, baseUnit, QVariant(qint16(1)));
    appendProperty(QStringLiteral("tbUserProperty"), added.propId, name);
    appendUnit(QStringLiteral("tbUserUnits"), added.unitId, added.propId, baseUnit, QVariant(qint16(1)));
    transaction.commit();
    return added;
}

QString addUnit(const QString& name, double factor, const QString& propId)
{
    Transaction transaction;
    const QString uid = newUnitId();
    appendUnit(QStringLiteral("tbUnits"), uid, propId, name, factor);
    appendUnit(QStringLiteral("tbUserUnits"), uid, propId, name, factor);
    transaction.commit();
    return uid;
}

} // namespace AddValues
