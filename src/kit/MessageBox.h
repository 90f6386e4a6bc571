#pragma once

#include "data/RuntimeError.h"

#include <QList>
#include <QString>

#include <exception>

class QWidget;

// Windows message-box style numbers, kept so each call site reads as designed.
namespace MsgStyle {
constexpr int OkOnly = 0;
constexpr int Critical = 16;
constexpr int Exclamation = 48;
constexpr int Information = 64;
} // namespace MsgStyle

// The title every box carries that names no title of its own.
inline const QString AppTitle = QStringLiteral("Quantaro");
// The title of the program's own warnings and prompts.
inline const QString BoxTitle = QStringLiteral("Quantaro - Veltrin Tech");

// What every window says when the units of the chosen property cannot be listed.
inline const QString NoUnitMessage =
    QStringLiteral("No unit available for this property. To add new unit for this property go to 'Tools' -> 'New'.");
// What the main window, the converter and New Values say when help cannot start.
inline const QString HelpFailureMessage = QStringLiteral("There Was An Error Opening the Help File.");

// Every message box of the program goes through here, so tests can record
// boxes instead of showing them.
class MessageBox
{
public:
    struct Record
    {
        QString text;
        QString title;
        int style;
        QString detail;
    };

    // Shows a modal box with an OK button; an empty title means AppTitle.
    static void show(QWidget* parent, const QString& text, int style = MsgStyle::OkOnly,
                     const QString& title = QString());
    // The same, with `detail` in a second line below the text.
    static void showWithDetail(QWidget* parent, const QString& text, const QString& detail, int style,
                               const QString& title);

    // While intercepting, boxes are recorded and answered OK without showing.
    static void setIntercepting(bool on);
    static bool intercepting();
    static QList<Record> records();
    static QList<Record> takeRecords();

    // Reports an error that no handler expected: number and description.
    static void showRuntimeError(QWidget* parent, const RuntimeError& error);
    static void showUnexpected(QWidget* parent, const std::exception& error);
};

// Runs a handler body and reports any error it raises in a box, so that no
// exception reaches Qt's event loop and the program keeps running.
template <typename Body> void runGuarded(QWidget* parent, Body&& body)
{
    try {
        body();
    } catch (const RuntimeError& error) {
        MessageBox::showRuntimeError(parent, error);
    } catch (const std::exception& error) {
        MessageBox::showUnexpected(parent, error);
    }
}
