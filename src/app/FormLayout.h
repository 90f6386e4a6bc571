#pragma once

#include <QFont>
#include <QString>

class QGroupBox;
class QWidget;

// What every window's construction needs: designed fonts, places given in
// twips, object names, and the frames with their dark red captions.
namespace FormLayout {

// The named family at its designed size; Qt stands in a near font where it is missing.
QFont designFont(const QString& family, qreal points, bool bold);

// Places a control at a designed position and size, given in twips.
void place(QWidget* widget, int left, int top, int width, int height);

template <typename T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// A frame with its caption in Tahoma bold 9.75 pt, drawn in dark red.
QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& caption);

} // namespace FormLayout
