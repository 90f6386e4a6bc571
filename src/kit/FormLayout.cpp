#include "FormLayout.h"

#include "ChildForm.h"

#include <QGroupBox>

#include <algorithm>
#include <cmath>

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
    captionColour.setColor(QPalette::WindowText, readableOn(QColor(128, 0, 0), captionColour.color(QPalette::Window)));
    frame->setPalette(captionColour);
    return frame;
}

namespace {

double channel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

} // namespace

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isLight(const QColor& face)
{
    return contrast(face, Qt::black) >= contrast(face, Qt::white);
}

QColor readableOn(const QColor& designed, const QColor& background)
{
    if (contrast(designed, background) >= ReadableContrast)
        return designed;
    // Same hue and saturation, lightness moved away from the background step by step.
    const bool lighten = !isLight(background);
    QColor candidate = designed.toHsl();
    for (int lightness = candidate.lightness(); lightness >= 0 && lightness <= 255; lightness += lighten ? 8 : -8) {
        candidate.setHsl(candidate.hslHue(), candidate.hslSaturation(), lightness);
        if (contrast(candidate, background) >= ReadableContrast)
            return candidate.toRgb();
    }
    return lighten ? QColor(Qt::white) : QColor(Qt::black);
}

void setFace(QWidget* button, const QColor& face)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::ButtonText, isLight(face) ? QColor(Qt::black) : QColor(Qt::white));
    button->setPalette(palette);
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/images/quantaro-%1.png").arg(size), QSize(size, size));
    return icon;
}

QIcon buttonIcon(const QString& name)
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/%1.png").arg(name));
    icon.addFile(QStringLiteral(":/images/%1@2x.png").arg(name));
    return icon;
}

} // namespace FormLayout
