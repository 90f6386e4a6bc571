#include "ChildForm.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMap>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>
#include <cmath>

ChildForm::ChildForm(QWidget* parent) : QWidget(parent) {}

QMdiSubWindow* ChildForm::subWindow() const
{
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

ChildForm::BoxScope::BoxScope(QWidget* widget)
{
    for (QWidget* w = widget; w && !m_form; w = w->parentWidget())
        m_form = qobject_cast<ChildForm*>(w);
    if (m_form)
        ++m_form->m_openBoxes;
}

ChildForm::BoxScope::~BoxScope()
{
    if (!m_form)
        return;
    --m_form->m_openBoxes;
    // Deleted later, at the level of the event loop that ran the handler, so
    // the handler finishes on a window that still exists.
    if (m_form->m_openBoxes == 0 && m_form->m_unloading)
        m_form->finishUnload();
}

void ChildForm::unload()
{
    m_unloading = true;
    QMdiSubWindow* frame = subWindow();
    if (frame)
        frame->hide();
    else
        hide();
    if (m_openBoxes == 0)
        finishUnload();
}

void ChildForm::finishUnload()
{
    QMdiSubWindow* frame = subWindow();
    if (!frame) {
        deleteLater();
        return;
    }
    frame->removeEventFilter(this);
    frame->close();
}

void ChildForm::watchFrame(QMdiSubWindow* frame)
{
    frame->installEventFilter(this);
}

bool ChildForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && watched == subWindow() && m_openBoxes > 0) {
        event->ignore();
        unload();
        return true;
    }
    return QWidget::eventFilter(watched, event);
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

void ChildForm::nameControlsAfterLabels()
{
    for (const QLabel* label : findChildren<QLabel*>()) {
        if (QWidget* buddy = label->buddy()) {
            QString caption = label->text();
            caption.remove(QLatin1Char('&'));
            buddy->setAccessibleName(caption);
        }
    }
}

QWidget* ChildForm::firstControl() const
{
    for (QWidget* widget = nextInFocusChain(); widget && widget != this; widget = widget->nextInFocusChain()) {
        if (isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() &&
            widget->isVisibleTo(this) && widget->isEnabled())
            return widget;
    }
    return nullptr;
}

void ChildForm::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (QWidget* control = firstControl())
        control->setFocus(event->reason());
}

void ChildForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    nameControlsAfterLabels();
    if (!m_captionsFitted) {
        m_captionsFitted = true;
        fitCaptions();
    }
}

namespace {

constexpr qreal SmallestPoints = 6.0;
constexpr qreal PointStep = 0.25;

// A point size, from the widget's own down in quarter points, at which the
// caption fits (the first size at or below 6 points when none does). Text
// widens about in proportion to its size, so the search starts at the largest
// size the proportion allows and steps down from there until one fits. Larger
// sizes are not tried: each size measured loads a font of its own, which is
// most of the cost of a window's start.
qreal fittingSize(const QWidget* widget, const QString& caption, int room)
{
    QString text = caption;
    text.remove(QLatin1Char('&'));
    QFont font = widget->font();
    const qreal designed = font.pointSizeF();
    const int width = QFontMetrics(font).horizontalAdvance(text);
    if (room <= 0 || width <= room || designed <= SmallestPoints)
        return designed;
    const auto fitsAt = [&](int steps) {
        font.setPointSizeF(designed - steps * PointStep);
        return QFontMetrics(font).horizontalAdvance(text) <= room;
    };
    const int last = int(std::ceil((designed - SmallestPoints) / PointStep));
    int steps = std::clamp(int(std::ceil((designed - designed * room / width) / PointStep)), 1, last);
    while (steps < last && !fitsAt(steps))
        ++steps;
    return designed - steps * PointStep;
}

// The width a push button's caption may take: inside its frame and margins, beside its picture.
int pushButtonRoom(const QPushButton* button)
{
    const QStyle* style = button->style();
    int room = button->width() - 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) -
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    if (!button->icon().isNull())
        room -= button->iconSize().width() + 4;
    return room;
}

} // namespace

void ChildForm::fitCaptions()
{
    // Captions drawn in the same designed font shrink together, so they keep looking alike.
    QMap<QString, qreal> groupSize;
    QList<QWidget*> fitted;
    const auto consider = [&](QWidget* widget, const QString& text, int room) {
        const QString key = widget->metaObject()->className() + widget->font().toString();
        const qreal size = fittingSize(widget, text, room);
        groupSize[key] = groupSize.contains(key) ? std::min(groupSize[key], size) : size;
        fitted.append(widget);
    };
    for (QLabel* label : findChildren<QLabel*>()) {
        if (!label->pixmap().isNull() || label->wordWrap() || label->text().contains(QLatin1Char('<')))
            continue;
        consider(label, label->text(), label->contentsRect().width() - 2 * label->margin());
    }
    for (QRadioButton* button : findChildren<QRadioButton*>()) {
        const int indicator = button->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button) +
                              button->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button);
        consider(button, button->text(), button->width() - indicator - 2);
    }
    for (QPushButton* button : findChildren<QPushButton*>()) {
        if (button->text().isEmpty())
            continue;
        consider(button, button->text(), pushButtonRoom(button));
    }
    for (QWidget* widget : fitted) {
        const qreal size = groupSize.value(widget->metaObject()->className() + widget->font().toString());
        if (size < widget->font().pointSizeF()) {
            QFont font = widget->font();
            font.setPointSizeF(size);
            widget->setFont(font);
        }
    }
}

QAbstractButton* ChildForm::buttonCaptioned(const QStringList& captions) const
{
    const auto buttons = findChildren<QPushButton*>();
    for (QPushButton* button : buttons)
        if (captions.contains(button->text()) && button->isVisible() && button->isEnabled())
            return button;
    return nullptr;
}

void ChildForm::keyPressEvent(QKeyEvent* event)
{
    QAbstractButton* button = nullptr;
    if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_F1)
        button = findChild<QPushButton*>(QStringLiteral("cmdHelp_0"));
    else if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_Escape)
        button = buttonCaptioned({QStringLiteral("&Done"), QStringLiteral("&Ok")});
    if (button && button->isVisible() && button->isEnabled()) {
        button->animateClick();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
