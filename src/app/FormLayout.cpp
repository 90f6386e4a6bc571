#include "FormLayout.h"

#include "ChildForm.h"

#include <QGroupBox>

namespace FormLayout {

QFont designFont(const QString& family, qreal points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(ChildForm::px(left), ChildForm::px(top), ChildForm::px(width), ChildForm::px(height));
}

QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& caption)
{
    auto* frame = named(new QGroupBox(caption, parent), name);
    frame->setFont(designFont(QStringLiteral("Tahoma"), 9.75, true));
    QPalette captionColour = frame->palette();
    captionColour.setColor(QPalette::WindowText, QColor(128, 0, 0));
    frame->setPalette(captionColour);
    return frame;
}

} // namespace FormLayout
