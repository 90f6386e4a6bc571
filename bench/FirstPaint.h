#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

// Ends the event loop once the first frame has been painted, which is when a
// start-up is over for the user. The widgets of one frame are painted in one
// pass, so the quit queued at its first paint event runs after the whole frame.
class QuitAfterFirstPaint : public QObject
{
public:
    explicit QuitAfterFirstPaint(QCoreApplication* app) : QObject(app)
    {
        app->installEventFilter(this);
        // A platform that never paints must not leave the benchmark waiting.
        QTimer::singleShot(10000, app, [] { QCoreApplication::exit(3); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            QCoreApplication::instance()->removeEventFilter(this);
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        }
        return false;
    }
};
