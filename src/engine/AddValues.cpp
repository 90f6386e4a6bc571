#include "AddValues.h"

#include "data/PlainErrors.h"
#include "data/RuntimeError.h"
#include "data/Schema.h"
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
// Its reads and writes are one action, for which the file is looked at once;
// the commit looks again.
class Transaction
{
public:
    Transaction() : m_action(modMain::dbConnection) { modMain::dbConnection.BeginTrans(); }
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
    const Connection::Action m_action;
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

// The clock's identifier, or the next number after it that neither table
// holds in `column`. One query walks the candidates through the identifier
// indexes, so many additions within one second cost no query per clash.
QString nextFreeId(const QString& clockId, const QString& table, const QString& userTable, const QString& column)
{
    const QString sql =
        QStringLiteral(
            "with recursive candidate(id) as (select ? union all select id + 1 from candidate where id < %4) "
            "select id from candidate "
            "where not exists (select 1 from %1 where %3 = cast(candidate.id as text)) "
            "and not exists (select 1 from %2 where %3 = cast(candidate.id as text)) limit 1")
            .arg(table, userTable, column)
            .arg(std::numeric_limits<qint32>::max());
    Recordset free;
    free.Open(sql, {clockId.toLongLong()}, &modMain::dbConnection);
    if (free.Eof())
        throw RuntimeError(ErrorNumber::Overflow,
                           QStringLiteral("No identifier is left for the new row of %1: every number from %2 up to "
                                          "2147483647 is taken. Add it at another time of day, when the clock gives "
                                          "another first number.")
                               .arg(table, clockId));
    return QString::number(free.Fields(0).Value().toLongLong());
}

QString newPropertyId()
{
    return nextFreeId(MakeClockID(), QStringLiteral("tbProperty"), QStringLiteral("tbUserProperty"),
                      QStringLiteral("PropID"));
}

QString newUnitId()
{
    return nextFreeId(MakeClockID(), QStringLiteral("tbUnits"), QStringLiteral("tbUserUnits"), QStringLiteral("UID"));
}

// A result set to add a row to: the table's columns without its rows, which
// adding never reads.
void openForAdding(const QString& table)
{
    openShared(QStringLiteral("select * from ") + table + QStringLiteral(" limit 0"));
}

void appendProperty(const QString& table, const QString& propId, const QString& name)
{
    openForAdding(table);
    modMain::dbRecordset.AddNew();
    modMain::dbRecordset.Fields(Schema::PropertyColumn::PropID).setValue(propId);
    modMain::dbRecordset.Fields(Schema::PropertyColumn::propname).setValue(name);
    modMain::dbRecordset.Fields(Schema::PropertyColumn::propDF).setValue(Schema::VisibleFlag);
    modMain::dbRecordset.Update();
}

void appendUnit(const QString& table, const QString& uid, const QString& propId, const QString& name,
                const QVariant& factor)
{
    openForAdding(table);
    modMain::dbRecordset.AddNew();
    modMain::dbRecordset.Fields(Schema::UnitColumn::UID).setValue(uid);
    modMain::dbRecordset.Fields(Schema::UnitColumn::PropID).setValue(propId);
    modMain::dbRecordset.Fields(Schema::UnitColumn::uname).setValue(name);
    modMain::dbRecordset.Fields(Schema::UnitColumn::factor).setValue(factor);
    modMain::dbRecordset.Fields(Schema::UnitColumn::df).setValue(Schema::VisibleFlag);
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
    return anyRowHolds(QStringLiteral("Select * from tbProperty where propname = ?"), {name},
                       Schema::PropertyColumn::propname, name);
}

bool unitNameTaken(const QString& name, const QString& propId)
{
    return anyRowHolds(QStringLiteral("Select * from tbUnits where uname = ? and propID = ?"), {name, propId},
                       Schema::UnitColumn::uname, name);
}

double unitFactor(qint32 uid)
{
    Recordset unit;
    unit.Open(QStringLiteral("select * from tbUnits where UID = ?"), {QString::number(uid)}, &modMain::dbConnection);
    if (unit.Eof())
        throw RuntimeError(ErrorNumber::NoCurrentRecord,
                           QStringLiteral("The base unit with UID %1 is no longer in the catalogue. Pick the property "
                                          "again to list its units as they are now.")
                               .arg(uid));
    const QVariant stored = unit.Fields(Schema::UnitColumn::factor).Value();
    try {
        return Variant::toDouble(stored);
    } catch (const RuntimeError& error) {
        throw PlainErrors::fieldError(
            error,
            QStringLiteral("The factor of the base unit \"%1\"")
                .arg(unit.Fields(Schema::UnitColumn::uname).Value().toString()),
            stored, QStringLiteral("Pick another base unit, or hide this one under Tools > Options."));
    }
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
