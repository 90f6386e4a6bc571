#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
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

// A frame with its caption in Tahoma bold 9.75 pt, drawn in dark red where
// the window is light, in a readable red where it is dark.
QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& caption);

// The contrast ratio of two colours by their relative luminance, from 1 to 21.
double contrast(const QColor& a, const QColor& b);

// Text readers can read needs this contrast against its background.
constexpr double ReadableContrast = 4.5;

// The designed text colour where it is readable on `background`, otherwise
// the nearest readable colour of the same hue, or black or white.
QColor readableOn(const QColor& designed, const QColor& background);

// True where a face is light enough for dark text.
bool isLight(const QColor& face);

// Gives a button its designed face and a caption colour readable on it.
void setFace(QWidget* button, const QColor& face);

// The program's picture in every size it is drawn at, so each size and its
// double for high-density screens comes from its own image, never an enlarged one.
QIcon programIcon();

// A button's image from the resources, with its twice-as-large drawing
// (`name@2x.png`) for screens scaled to 2x.
QIcon buttonIcon(const QString& name);

} // namespace FormLayout
