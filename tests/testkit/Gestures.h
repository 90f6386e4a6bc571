#pragma once

// The gestures the GUI tests drive the real windows with: controls found by
// their object names, entries picked and clicked as a user does, and the
// texts the lists and combos show.

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

#include "kit/SortedLists.h"

namespace TestKit {

// The child of `parent` named `name`; ends the test run when there is none,
// since every later step would only report the same missing control.
template <typename T> T* control(const QObject* parent, const char* name)
{
    T* widget = parent->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

// Picks the entry whose text is exactly `text` as a user does: opens the
// drop-down and clicks it. False when there is no such entry.
bool chooseEntry(QComboBox* combo, const QString& text);
// Clicks the entry whose text is exactly `text`; false when there is none.
bool clickEntry(SortedLists::ListView* list, const QString& text);
// A text as a user puts it into a box: short printable ASCII is typed key by
// key, anything else arrives as a paste.
void typeInto(QLineEdit* edit, const QString& text);

QStringList entries(const SortedLists::ListView* list);
QStringList entries(const QComboBox* combo);

} // namespace TestKit
