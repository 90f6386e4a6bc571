#pragma once

#include <QApplication>

// The application object. It stops any error a handler failed to catch at the
// event loop, reports it, and keeps the program running; and once a handler
// that wrote is over, it has the catalogue file take in the changes.
class Application : public QApplication
{
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    int m_depth = 0; // events delivered from inside a handler, such as its message boxes
};
