#include "CatalogueRows.h"
#include "DataTable.h"
#include "ShellPage.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

// Windows unloaded while one of their own message boxes is open. The boxes are
// real: a timer finds the open box, does what the test asks while it is open
// (as a key press that reaches the window before the box takes the keyboard
// does), then answers it.

namespace {

// Answers every box that opens while it lives. At the first box it runs
// `whileOpen`, and lets the box's own event loop run on for a while before
// pressing OK, as a user takes a moment to answer.
class BoxAnswerer
{
public:
    explicit BoxAnswerer(std::function<void()> whileOpen) : m_whileOpen(std::move(whileOpen))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start(5);
    }

    QStringList texts() const { return m_texts; }

private:
    void tick()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            m_seen = nullptr;
            return;
        }
        if (box != m_seen) {
            m_seen = box;
            m_ticks = 0;
            m_texts << box->text();
            if (const auto action = std::exchange(m_whileOpen, {}))
                action();
            return;
        }
        if (++m_ticks >= 4)
            box->button(QMessageBox::Ok)->click();
    }

    QTimer m_timer;
    std::function<void()> m_whileOpen;
    QPointer<QMessageBox> m_seen;
    int m_ticks = 0;
    QStringList m_texts;
};

} // namespace

using TestKit::ShellPage;

class TestModal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        MessageBox::setIntercepting(false);
    }

    void unloadWhileOwnBoxIsOpen_data()
    {
        const TestKit::DataTable<QString, QString, QString, QString, QString> row("window", "opener", "unloader",
                                                                                  "boxText", "loadedAfter");
        row("new values: Add, then Done", "frmNew", "cmdCalc", "cmdExit", "Invalid Input", "");
        row("new values: Unit, then Done", "frmNew", "rdBtn_2", "cmdExit", "Select a Property from the list Below", "");
        row("new values: Add, then frame closed", "frmNew", "cmdCalc", "frame", "Invalid Input", "");
        row("converter: Swap, then Done", "frmUnitConv", "cmdSwap", "cmdCancel", "Invalid Input", "");
        row("converter: Swap, then New Values", "frmUnitConv", "cmdSwap", "Command3", "Invalid Input", "frmNew");
        row("converter: Swap, then Options", "frmUnitConv", "cmdSwap", "Command2", "Invalid Input", "frmOptions");
        row("converter: Swap, then Tools > New", "frmUnitConv", "cmdSwap", "mnuNG", "Invalid Input", "frmNew");
        row("converter: Swap, then frame closed", "frmUnitConv", "cmdSwap", "frame", "Invalid Input", "");
        row("options: Unit, then Done", "frmOptions", "rbutUnit", "cmdCancel", "Select a Property from the list", "");
    }

    void unloadWhileOwnBoxIsOpen()
    {
        TestDatabase db;
        TestKit::addRows(db, {{"1015", "Length"}}, {{"1", "metre", 1.0, "1015"}});
        db.openShared();
        QFETCH(QString, window);
        QFETCH(QString, opener);
        QFETCH(QString, unloader);
        QFETCH(QString, boxText);
        QFETCH(QString, loadedAfter);
        ShellPage shell;
        QPointer<ChildForm> form = shell.show(window);
        QVERIFY(form);

        BoxAnswerer answerer([&] {
            if (unloader == QLatin1String("frame")) {
                form->subWindow()->close();
            } else if (unloader.startsWith(QLatin1String("mnu"))) {
                shell.trigger(qPrintable(unloader));
            } else {
                auto* button = form->findChild<QAbstractButton*>(unloader);
                QVERIFY(button);
                button->click();
            }
        });
        auto* button = form->findChild<QAbstractButton*>(opener);
        QVERIFY(button);
        button->click();

        QCOMPARE(answerer.texts(), QStringList{boxText});
        QVERIFY(!shell.loaded(window));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(!form, "the unloaded window was never deleted");
        if (!loadedAfter.isEmpty())
            QVERIFY(shell.loaded(loadedAfter));
        QVERIFY(!QApplication::activeModalWidget());
        // The program goes on: the window loads again and works.
        QPointer<ChildForm> again = shell.show(window);
        QVERIFY(again && again != form);
        QVERIFY(again->isVisibleTo(&shell.main));
    }

    // A box of another window leaves this one free to go at once.
    void unloadWhileAnotherWindowsBoxIsOpen()
    {
        TestDatabase db;
        db.addProperty(QStringLiteral("1015"), QStringLiteral("Length"));
        db.openShared();
        ShellPage shell;
        QPointer<frmUnitConv> converter = shell.main.loadedChild<frmUnitConv>();
        QPointer<frmOptions> options = shell.main.showChild<frmOptions>();
        QVERIFY(converter && options);
        BoxAnswerer answerer([&] {
            options->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!options);
        });
        converter->findChild<QPushButton*>(QStringLiteral("cmdSwap"))->click();
        QCOMPARE(answerer.texts(), QStringList{QStringLiteral("Invalid Input")});
        QVERIFY(converter && shell.main.loadedChild<frmUnitConv>() == converter);
    }
};

QTEST_MAIN(TestModal)
#include "tst_modal.moc"
