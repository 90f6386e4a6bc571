#include "Gestures.h"

#include <QAbstractItemView>
#include <QtTest>

namespace TestKit {

bool chooseEntry(QComboBox* combo, const QString& text)
{
    const int row = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (row < 0)
        return false;
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const QModelIndex index = view->model()->index(row, combo->modelColumn());
    view->scrollTo(index);
    // Near the left edge: a very long entry is far wider than the drop-down.
    const QRect rect = view->visualRect(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 4, rect.center().y()));
    return combo->currentIndex() == row;
}

bool clickEntry(SortedLists::ListView* list, const QString& text)
{
    const int row = list->findRow(text);
    if (row < 0)
        return false;
    list->scrollTo(list->modelIndex(row));
    const QRect rect = list->rowRect(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 4, rect.center().y()));
    return true;
}

void typeInto(QLineEdit* edit, const QString& text)
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

QStringList entries(const SortedLists::ListView* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->text(i);
    return texts;
}

QStringList entries(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

} // namespace TestKit
