#pragma once

#include <QApplication>

// The application object. It stops any error a handler failed to catch at the
// event loop, reports it, and keeps the program running.
class Application : public QApplication
{
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
