#include "ChildForm.h"

#include <QMdiSubWindow>

ChildForm::ChildForm(QWidget* parent) : QWidget(parent) {}

QMdiSubWindow* ChildForm::subWindow() const
{
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

void ChildForm::unload()
{
    QMdiSubWindow* frame = subWindow();
    if (!frame) {
        hide();
        deleteLater();
        return;
    }
    frame->hide();
    frame->close();
}

void ChildForm::moveInArea(int leftTwips, int topTwips)
{
    QWidget* frame = subWindow() ? static_cast<QWidget*>(subWindow()) : this;
    frame->move(px(leftTwips), px(topTwips));
}

void ChildForm::moveLeftInArea(int leftTwips)
{
    QWidget* frame = subWindow() ? static_cast<QWidget*>(subWindow()) : this;
    frame->move(px(leftTwips), frame->y());
}
