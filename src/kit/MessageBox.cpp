#include "MessageBox.h"

#include "ChildForm.h"
#include "data/RuntimeError.h"
#include "data/modMain.h"

#include <QMessageBox>

namespace {

bool g_intercepting = false;
QList<MessageBox::Record> g_records;

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0x70) {
    case MsgStyle::Critical:
        return QMessageBox::Critical;
    case MsgStyle::Exclamation:
        return QMessageBox::Warning;
    case MsgStyle::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

void MessageBox::show(QWidget* parent, const QString& text, int style, const QString& title)
{
    showWithDetail(parent, text, QString(), style, title);
}

void MessageBox::showWithDetail(QWidget* parent, const QString& text, const QString& detail, int style,
                                const QString& title)
{
    const QString caption = title.isEmpty() ? AppTitle : title;
    if (g_intercepting) {
        g_records.append({text, caption, style, detail});
        return;
    }
    // The box waits for the user inside the handler: what it wrote so far goes into the file first.
    modMain::dbConnection.saveToFile();
    const ChildForm::BoxScope scope(parent);
    QMessageBox box(iconFor(style), caption, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("msgBox"));
    box.setInformativeText(detail);
    box.exec();
}

void MessageBox::setIntercepting(bool on)
{
    g_intercepting = on;
    g_records.clear();
}

bool MessageBox::intercepting()
{
    return g_intercepting;
}

QList<MessageBox::Record> MessageBox::records()
{
    return g_records;
}

QList<MessageBox::Record> MessageBox::takeRecords()
{
    return std::exchange(g_records, {});
}

void MessageBox::showRuntimeError(QWidget* parent, const RuntimeError& error)
{
    show(parent, QStringLiteral("Run-time error '%1':\n\n%2").arg(error.number()).arg(error.description()),
         MsgStyle::Critical);
}

void MessageBox::showUnexpected(QWidget* parent, const std::exception& error)
{
    show(parent, QStringLiteral("Run-time error:\n\n%1").arg(QString::fromLocal8Bit(error.what())), MsgStyle::Critical);
}
