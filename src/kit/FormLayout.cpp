#include "FormLayout.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIconEngine>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPainter>
#include <QPicture>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTextDocument>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace FormLayout {

namespace {

// The dynamic property that keeps a control's designed place, in twips.
const char* const DesignedPlace = "designedTwips";

// The screen has 15 twips a pixel at the designed font.
constexpr qreal TwipsPerPixel = 15.0;

// A text box leaves this many pixels between its text and its frame, above and below.
constexpr int TextMargin = 1;

qreal defaultPoints()
{
    const QFont font = QApplication::font();
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return font.pixelSize() * 72.0 / (screen ? screen->logicalDotsPerInchY() : 96.0);
}

struct SizedFile
{
    QString path;
    QSize size;
    bool read = false;
};

// An icon of one picture file per size that reads a file only when its size is
// first drawn. A plain icon decodes every file as it is made, and the program's
// icon has eight of them while a window frame draws one: reading all of them
// cost more at start-up than the program's own work. A button's picture and its
// double are read the same way.
class OnDemandIconEngine : public QIconEngine
{
public:
    explicit OnDemandIconEngine(std::vector<SizedFile> files) : m_files(std::move(files)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        iconFor(rect.size() * scale).paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return iconFor(size).actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return iconFor(size).pixmap(size, 1.0, mode, state);
    }
    // `size` is in device pixels already; the icon gives the result its pixel ratio.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override
    {
        return pixmap(size, mode, state);
    }
    // The sizes a plain icon of the same files lists, without reading them.
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        QList<QSize> sizes;
        if (mode == QIcon::Normal && state == QIcon::Off)
            for (const SizedFile& file : m_files)
                sizes << file.size;
        return sizes;
    }
    bool isNull() override { return m_files.empty(); }
    QString key() const override { return QStringLiteral("OnDemandIconEngine"); }
    QIconEngine* clone() const override { return new OnDemandIconEngine(*this); }

private:
    // The plain icon holding the files read so far, with the one that fits
    // `size` among them: the smallest as large as `size`, else the largest.
    // A plain icon picks by the same rule, so it picks that file.
    const QIcon& iconFor(const QSize& size)
    {
        const auto area = [](const QSize& s) { return qint64(s.width()) * s.height(); };
        const qint64 wanted = area(size);
        SizedFile* best = nullptr;
        for (SizedFile& file : m_files) {
            const bool fits = area(file.size) >= wanted;
            const bool bestFits = best && area(best->size) >= wanted;
            if (!best || (fits && (!bestFits || area(file.size) < area(best->size))) ||
                (!fits && !bestFits && area(file.size) > area(best->size)))
                best = &file;
        }
        if (best && !best->read) {
            m_icon.addFile(best->path, best->size);
            best->read = true;
        }
        return m_icon;
    }

    std::vector<SizedFile> m_files;
    QIcon m_icon;
};

// A label showing a single line of plain text, and nothing else.
bool isOneLineCaption(const QLabel* label)
{
    const QString text = label->text();
    const bool plain =
        label->textFormat() == Qt::PlainText || (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(text));
    return plain && !label->wordWrap() && label->pixmap().isNull() && label->picture().isNull() && !label->movie() &&
           !text.contains(QLatin1Char('\n')) && !text.contains(QChar::LineSeparator);
}

} // namespace

qreal fontScale()
{
    return std::max(1.0, defaultPoints() / DesignedDefaultPoints);
}

int scaled(int twips)
{
    return qRound(twips * fontScale() / TwipsPerPixel);
}

QSize scaledIcon(int pixels)
{
    const int side = qRound(pixels * fontScale());
    return {side, side};
}

QFont designFont(const QString& family, qreal points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points * fontScale());
    font.setBold(bold);
    return font;
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setProperty(DesignedPlace, QRect(left, top, width, height));
    widget->setGeometry(scaled(left), scaled(top), scaled(width), scaled(height));
}

int contentHeight(const QWidget* control)
{
    const QStyle* style = control->style();
    const int line = control->fontMetrics().height();
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.frame = combo->hasFrame();
        const QRect field = style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        return line + 2 * TextMargin + combo->height() - field.height();
    }
    if (const auto* box = qobject_cast<const QLineEdit*>(control)) {
        QStyleOptionFrame option;
        option.initFrom(box);
        option.lineWidth = box->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
        const QRect text = style->subElementRect(QStyle::SE_LineEditContents, &option, box);
        return line + 2 * TextMargin + box->height() - text.height();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const int frame =
            button->height() - style->subElementRect(QStyle::SE_PushButtonContents, &option, button).height();
        QString caption = button->text();
        caption.remove(QLatin1Char('&'));
        const int glyphs = caption.isEmpty() ? 0 : button->fontMetrics().tightBoundingRect(caption).height();
        return std::max(glyphs, button->icon().isNull() ? 0 : button->iconSize().height()) + frame;
    }
    if (qobject_cast<const QRadioButton*>(control))
        return std::max(line, style->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, control));
    if (qobject_cast<const QCheckBox*>(control))
        return std::max(line, style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, control));
    if (const auto* label = qobject_cast<const QLabel*>(control); label && isOneLineCaption(label)) {
        // What the label's own size hint gives for one line of plain text, without
        // laying the text out: its hint does so three times over, glyph by glyph.
        label->ensurePolished();
        const QMargins margins = label->contentsMargins();
        const int text = qCeil(QFontMetricsF(label->font()).height());
        return std::max(text + 2 * label->margin() + margins.top() + margins.bottom(), label->minimumHeight());
    }
    if (qobject_cast<const QLabel*>(control) || qobject_cast<const QAbstractItemView*>(control))
        return control->minimumSizeHint().height();
    return 0;
}

namespace {

// Designed tops of one window or frame mapped to pixels: the grown design,
// with pixels added at the bottom edges of controls that needed them. Every
// place at or below such an edge moves down by what was added there.
class Rows
{
public:
    int top(int twips) const { return scaled(twips) + addedUpTo(twips); }
    int height(const QRect& twips) const
    {
        return scaled(twips.height()) + addedUpTo(twips.y() + twips.height()) - addedUpTo(twips.y());
    }
    void need(const QRect& twips, int pixels)
    {
        const int lacking = pixels - height(twips);
        if (lacking > 0)
            m_added[twips.y() + twips.height()] += lacking;
    }

private:
    int addedUpTo(int twips) const
    {
        int added = 0;
        for (auto it = m_added.begin(); it != m_added.end() && it->first <= twips; ++it)
            added += it->second;
        return added;
    }
    std::map<int, int> m_added;
};

QList<QWidget*> placedChildren(const QWidget* container)
{
    QList<QWidget*> placed;
    for (QWidget* child : container->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child->property(DesignedPlace).isValid())
            placed << child;
    return placed;
}

// Lays out the controls of a window or frame and returns the pixel height
// of its designed height.
int layOutChildren(QWidget* container, int heightTwips)
{
    Rows rows;
    const QList<QWidget*> children = placedChildren(container);
    for (QWidget* child : children) {
        const QRect twips = child->property(DesignedPlace).toRect();
        const bool frame = qobject_cast<QGroupBox*>(child) != nullptr;
        rows.need(twips, frame ? layOutChildren(child, twips.height()) : contentHeight(child));
    }
    for (QWidget* child : children) {
        const QRect twips = child->property(DesignedPlace).toRect();
        child->setGeometry(scaled(twips.x()), rows.top(twips.y()), scaled(twips.width()), rows.height(twips));
    }
    return rows.height(QRect(0, 0, 0, heightTwips));
}

} // namespace

QSize layOut(QWidget* form, int widthTwips, int heightTwips)
{
    return {scaled(widthTwips), layOutChildren(form, heightTwips)};
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
    std::vector<SizedFile> files;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        files.push_back({QStringLiteral(":/images/quantaro-%1.png").arg(size), QSize(size, size)});
    // The icon owns its engine.
    return QIcon(new OnDemandIconEngine(std::move(files)));
}

QIcon buttonIcon(const QString& name)
{
    // Only the picture's header is read here, for its size.
    const QString path = QStringLiteral(":/images/%1.png").arg(name);
    const QSize size = QImageReader(path).size();
    std::vector<SizedFile> files{{path, size}, {QStringLiteral(":/images/%1@2x.png").arg(name), size * 2}};
    return QIcon(new OnDemandIconEngine(std::move(files)));
}

QPushButton* makeHelpButton(QWidget* parent, int iconSide, int left, int top)
{
    auto* button = named(new QPushButton(parent), QStringLiteral("cmdHelp_0"));
    button->setIcon(buttonIcon(QStringLiteral("help")));
    button->setIconSize(scaledIcon(iconSide));
    button->setAccessibleName(QStringLiteral("Help"));
    place(button, left, top, 825, 735);
    return button;
}

void orderTabs(const QList<QWidget*>& chain)
{
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

} // namespace FormLayout
