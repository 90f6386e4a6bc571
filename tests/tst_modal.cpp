#include "TestDatabase.h"

#include "app/MDIMain.h"
#include "convert/frmUnitConv.h"
#include "kit/MessageBox.h"
#include "newvalues/frmNew.h"
#include "options/frmOptions.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

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

ChildForm* loadWindow(MDIMain& main, const QString& window)
{
    if (window == QLatin1String("converter"))
        return main.showChild<frmUnitConv>();
    if (window == QLatin1String("new values"))
        return main.showChild<frmNew>();
    return main.showChild<frmOptions>();
}

bool isLoaded(MDIMain& main, const QString& window)
{
    if (window == QLatin1String("converter"))
        return main.loadedChild<frmUnitConv>();
    if (window == QLatin1String("new values"))
        return main.loadedChild<frmNew>();
    return main.loadedChild<frmOptions>();
}

} // namespace

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
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("unloader");
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<QString>("loadedAfter");
        QTest::newRow("new values: Add, then Done") << "new values"
                                                    << "cmdCalc"
                                                    << "cmdExit"
                                                    << "Invalid Input"
                                                    << "";
        QTest::newRow("new values: Unit, then Done") << "new values"
                                                     << "rdBtn_2"
                                                     << "cmdExit"
                                                     << "Select a Property from the list Below"
                                                     << "";
        QTest::newRow("new values: Add, then frame closed") << "new values"
                                                            << "cmdCalc"
                                                            << "frame"
                                                            << "Invalid Input"
                                                            << "";
        QTest::newRow("converter: Swap, then Done") << "converter"
                                                    << "cmdSwap"
                                                    << "cmdCancel"
                                                    << "Invalid Input"
                                                    << "";
        QTest::newRow("converter: Swap, then New Values") << "converter"
                                                          << "cmdSwap"
                                                          << "Command3"
                                                          << "Invalid Input"
                                                          << "new values";
        QTest::newRow("converter: Swap, then Options") << "converter"
                                                       << "cmdSwap"
                                                       << "Command2"
                                                       << "Invalid Input"
                                                       << "options";
        QTest::newRow("converter: Swap, then Tools > New") << "converter"
                                                           << "cmdSwap"
                                                           << "mnuNG"
                                                           << "Invalid Input"
                                                           << "new values";
        QTest::newRow("converter: Swap, then frame closed") << "converter"
                                                            << "cmdSwap"
                                                            << "frame"
                                                            << "Invalid Input"
                                                            << "";
        QTest::newRow("options: Unit, then Done") << "options"
                                                  << "rbutUnit"
                                                  << "cmdCancel"
                                                  << "Select a Property from the list"
                                                  << "";
    }

    void unloadWhileOwnBoxIsOpen()
    {
        QFETCH(QString, window);
        QFETCH(QString, opener);
        QFETCH(QString, unloader);
        QFETCH(QString, boxText);
        QFETCH(QString, loadedAfter);
        TestDatabase db;
        db.addProperty(QStringLiteral("1015"), QStringLiteral("Length"));
        db.addUnit(QStringLiteral("1"), QStringLiteral("metre"), 1.0, QStringLiteral("1015"));
        db.openShared();
        MDIMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QPointer<ChildForm> form = loadWindow(main, window);
        QVERIFY(form);

        BoxAnswerer answerer([&] {
            if (unloader == QLatin1String("frame")) {
                form->subWindow()->close();
            } else if (unloader.startsWith(QLatin1String("mnu"))) {
                main.findChild<QAction*>(unloader)->trigger();
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
        QVERIFY(!isLoaded(main, window));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(!form, "the unloaded window was never deleted");
        if (!loadedAfter.isEmpty())
            QVERIFY(isLoaded(main, loadedAfter));
        QVERIFY(!QApplication::activeModalWidget());
        // The program goes on: the window loads again and works.
        QPointer<ChildForm> again = loadWindow(main, window);
        QVERIFY(again && again != form);
        QVERIFY(again->isVisibleTo(&main));
    }

    // A box of another window leaves this one free to go at once.
    void unloadWhileAnotherWindowsBoxIsOpen()
    {
        TestDatabase db;
        db.addProperty(QStringLiteral("1015"), QStringLiteral("Length"));
        db.openShared();
        MDIMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QPointer<frmUnitConv> converter = main.loadedChild<frmUnitConv>();
        QPointer<frmOptions> options = main.showChild<frmOptions>();
        QVERIFY(converter && options);
        BoxAnswerer answerer([&] {
            options->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!options);
        });
        converter->findChild<QPushButton*>(QStringLiteral("cmdSwap"))->click();
        QCOMPARE(answerer.texts(), QStringList{QStringLiteral("Invalid Input")});
        QVERIFY(converter && main.loadedChild<frmUnitConv>() == converter);
    }
};

QTEST_MAIN(TestModal)
#include "tst_modal.moc"
