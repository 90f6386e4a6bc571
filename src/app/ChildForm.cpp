#include "ChildForm.h"

#include <QLabel>
#include <QMap>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>

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

// The largest point size, from the widget's own down, at which the caption fits.
qreal fittingSize(const QWidget* widget, const QString& caption, int room)
{
    QString text = caption;
    text.remove(QLatin1Char('&'));
    QFont font = widget->font();
    while (room > 0 && QFontMetrics(font).horizontalAdvance(text) > room && font.pointSizeF() > 6.0)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    return font.pointSizeF();
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
    for (QWidget* widget : fitted) {
        const qreal size = groupSize.value(widget->metaObject()->className() + widget->font().toString());
        if (size < widget->font().pointSizeF()) {
            QFont font = widget->font();
            font.setPointSizeF(size);
            widget->setFont(font);
        }
    }
}
