#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QList>
#include <QSize>
#include <QString>

class QGroupBox;
class QPushButton;
class QWidget;

// What every window's construction needs: designed fonts, places given in
// twips, object names, and the frames with their dark red captions.
// Fonts and places grow with the user's default font, so that a user who
// reads larger text gets the same windows, larger.
namespace FormLayout {

// The default font the designed sizes were drawn against: Qt's own default.
// At it, and below it, the windows keep their designed sizes.
constexpr qreal DesignedDefaultPoints = 9.0;

// The user's default font against the designed one, never less than 1.
qreal fontScale();

// A designed length in twips as pixels at the user's font.
int scaled(int twips);

// A picture's designed size in pixels, grown with the user's font.
QSize scaledIcon(int pixels);

// The named family at its designed size, grown with the user's default font;
// Qt stands in a near font where the family is missing.
QFont designFont(const QString& family, qreal points, bool bold);

// Places a control at a designed position and size, given in twips, and
// keeps that design for layOut.
void place(QWidget* widget, int left, int top, int width, int height);

// The height a control's text or picture needs: its line, or its caption's
// drawn glyphs, inside the frame and margins the style draws around it.
int contentHeight(const QWidget* control);

// Places every placed control of `form` at the user's font and returns the
// window's client size for its designed one, in twips. Where a control's
// content needs more height than its grown design gives it, room is added
// below it for everything under it, in the window and in its frames alike,
// so no control is cut off and none moves onto another.
QSize layOut(QWidget* form, int widthTwips, int heightTwips);

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

// The window's help button `cmdHelp_0`, which F1 presses: the help picture
// `iconSide` pixels square at the designed font (scaledIcon) and no caption,
// announced as "Help", placed at (left, top) in twips at its designed size.
QPushButton* makeHelpButton(QWidget* parent, int iconSide, int left, int top);

// Tab goes from each control of `chain` to the next.
void orderTabs(const QList<QWidget*>& chain);

} // namespace FormLayout
