#pragma once

// Helpers shared by the reliability tests: whole-catalogue snapshots to prove
// that a refused or failed action changed nothing, and the few gestures the
// tests use to drive the real windows.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QtTest>

#include "data/Schema.h"
#include "kit/SortedLists.h"

namespace Reliability {

// The fresh catalogue files of these tests live in memory where the machine
// offers it: the tests are about behaviour, not the disk, and syncing hundreds
// of new files to a disk would take minutes.
inline void preferMemoryTempDir()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isDir() && shm.isWritable())
        qputenv("TMPDIR", "/dev/shm");
}

// A value with its storage type, so that "1" and 1 or NULL and "" differ.
inline QString describe(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    return QString::fromLatin1(value.metaType().name()) + QLatin1Char(':') + value.toString();
}

// Every row of the four tables, in storage order, read on `db`. A table that
// cannot be read is recorded as such, so a snapshot never fails by itself.
inline QStringList snapshot(const QSqlDatabase& db)
{
    QStringList lines;
    for (const QString& table : Schema::tables()) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("select * from %1 order by rowid").arg(table))) {
            lines << table + QStringLiteral(": unreadable");
            continue;
        }
        lines << table + QLatin1Char(':');
        while (query.next()) {
            QStringList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << describe(query.value(i));
            lines << row.join(QLatin1Char('|'));
        }
    }
    return lines;
}

// A text as a user puts it into a box: short printable ASCII is typed key by
// key, anything else arrives as a paste.
inline void typeInto(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    edit->del();
    bool printable = text.size() <= 64;
    for (const QChar c : text)
        printable = printable && c.unicode() >= 0x20 && c.unicode() < 0x7f;
    if (printable)
        QTest::keyClicks(edit, text);
    else
        edit->insert(text);
}

// Picks the entry whose text is exactly `text` as a user does: opens the
// drop-down and clicks it.
inline bool chooseEntry(QComboBox* combo, const QString& text)
{
    int row = -1;
    for (int i = 0; i < combo->count() && row < 0; ++i) {
        if (combo->itemText(i) == text)
            row = i;
    }
    if (row < 0)
        return false;
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const QModelIndex index = view->model()->index(row, combo->modelColumn());
    view->scrollTo(index);
    const QRect rect = view->visualRect(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 4, rect.center().y()));
    return combo->currentIndex() == row;
}

// Clicks the entry whose text is exactly `text`.
inline bool clickEntry(SortedLists::ListView* list, const QString& text)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->text(i) == text) {
            list->scrollTo(list->modelIndex(i));
            // Near the left edge: a very long entry is far wider than the list.
            const QRect rect = list->rowRect(i);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 4, rect.center().y()));
            return true;
        }
    }
    return false;
}

inline QStringList entries(const SortedLists::ListView* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->text(i);
    return texts;
}

inline QStringList entries(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

template <typename T> T* control(const QObject* form, const char* name)
{
    T* widget = form->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

} // namespace Reliability
