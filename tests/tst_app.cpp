#include "BuildFolder.h"
#include "DataTable.h"
#include "FileConnection.h"
#include "Files.h"
#include "ShellPage.h"

#include "app/frmAbout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QPluginLoader>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTimer>

#include <unistd.h>

using TestKit::builtFile;
using TestKit::FileConnection;
using TestKit::readFile;
using TestKit::ShellPage;
using TestKit::writeFile;

// Start-up, the main window's menus and the About box.
class TestApp : public QObject
{
    Q_OBJECT

private:
    // A folder holding a copy of the program and, optionally, of the shipped catalogue.
    static void installProgram(const QTemporaryDir& dir, bool withCatalogue = false)
    {
        QVERIFY(QFile::copy(builtFile("quantaro"), dir.filePath("quantaro")));
        QFile::setPermissions(dir.filePath("quantaro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (withCatalogue)
            QVERIFY(QFile::copy(TestDatabase::shippedCatalogue(), dir.filePath("Tessaly.mdb")));
    }

    // Starts the copy and checks that it is still running three seconds later, then ends it.
    static void runAWhile(const QTemporaryDir& dir)
    {
        QProcess process;
        startProgram(process, dir);
        QVERIFY2(!process.waitForFinished(3000), process.readAllStandardError().constData());
        QCOMPARE(process.state(), QProcess::Running);
        process.terminate();
        QVERIFY(process.waitForFinished(10000));
    }

    // Starts the copy. As another user, it is run without the rights of the
    // test's own user; the superuser, whom no file refuses, then runs it as nobody.
    static void startProgram(QProcess& process, const QTemporaryDir& dir, bool asAnotherUser = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        const QString program = dir.filePath("quantaro");
        if (asAnotherUser && ::geteuid() == 0) {
            const QFile::Permissions forOthers =
                QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
            QFile::setPermissions(dir.path(), forOthers);
            QFile::setPermissions(program, forOthers);
            env.insert("XDG_RUNTIME_DIR", dir.path());
            process.setProcessEnvironment(env);
            process.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", program});
        } else {
            process.start(program, {});
        }
        QVERIFY(process.waitForStarted(10000));
    }

    // The bytes of a file, read with the test's own rights; empty for none.
    static QByteArray fileBytes(const QString& path) { return readFile(path).value_or(QByteArray()); }

    // Runs `sql` on the catalogue file at `path`, on a connection of its own.
    static void execOn(const QString& path, const QString& sql)
    {
        FileConnection file(path);
        file.rows(sql);
        QVERIFY2(file.error().isEmpty(), qPrintable(file.error()));
    }

    // A writable copy of the catalogue the build makes.
    static void copyBuiltCatalogue(const QString& path)
    {
        QVERIFY(QFile::copy(builtFile("Tessaly.mdb"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    static QStringList actionTexts(const QList<QAction*>& actions)
    {
        QStringList texts;
        for (const QAction* action : actions) {
            if (!action->isSeparator())
                texts << action->text() + QLatin1Char('|') + action->shortcut().toString();
        }
        return texts;
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        MessageBox::setIntercepting(true);
    }

    void cleanup() { MessageBox::takeRecords(); }

    // Each way the catalogue can be unusable at start-up is reported in the
    // designed form, number and description, and the description says which
    // file, in which folder, and why.
    void failedStartEndsWithAReport_data()
    {
        const TestKit::DataTable<QString, QString> row("catalogue", "why");
        row("missing", "missing", "is missing from the folder");
        row("text file", "text", "is not a Quantaro catalogue");
        row("other database", "other database", "is not a Quantaro catalogue");
        row("folder", "folder", "is a folder or device, not its catalogue file");
        row("unreadable", "unreadable", "you have no permission to read its catalogue");
        row("damaged", "damaged", "is damaged and cannot be read");
        row("cut short by one byte", "cut short", "is damaged and cannot be read");
        row("50 bits flipped past the first page", "flipped", "is damaged and cannot be read");
        row("columns of a table moved", "columns moved", "its table tbUnits has the columns UID, factor, uname");
    }

    void failedStartEndsWithAReport()
    {
        QFETCH(QString, catalogue);
        QFETCH(QString, why);
        QTemporaryDir dir;
        installProgram(dir);
        const QString path = dir.filePath("Tessaly.mdb");
        if (catalogue == QLatin1String("text")) {
            QVERIFY(writeFile(path, QByteArray("\x01\x02 not a database ").repeated(300)));
        } else if (catalogue == QLatin1String("other database")) {
            copyBuiltCatalogue(path);
            execOn(path, "drop table tbUnits");
        } else if (catalogue == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir("Tessaly.mdb"));
        } else if (catalogue == QLatin1String("unreadable")) {
            QVERIFY(QFile::copy(builtFile("Tessaly.mdb"), path));
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        } else if (catalogue == QLatin1String("damaged")) {
            // The header stays whole, the table of contents after it does not:
            // the file opens, and reading what it holds fails.
            copyBuiltCatalogue(path);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(100));
            file.write(QByteArray(4096 - 100, '\xff'));
        } else if (catalogue == QLatin1String("cut short")) {
            const QByteArray bytes = fileBytes(builtFile("Tessaly.mdb"));
            QVERIFY(!bytes.isEmpty());
            QVERIFY(writeFile(path, bytes.chopped(1)));
        } else if (catalogue == QLatin1String("flipped")) {
            QByteArray bytes = fileBytes(builtFile("Tessaly.mdb"));
            QVERIFY(bytes.size() > 4096);
            QRandomGenerator random(1);
            for (int i = 0; i < 50; ++i)
                bytes[random.bounded(4096, int(bytes.size()))] ^= char(1 << random.bounded(8));
            QVERIFY(writeFile(path, bytes));
        } else if (catalogue == QLatin1String("columns moved")) {
            copyBuiltCatalogue(path);
            execOn(path, "drop table tbUnits");
            execOn(path, "create table tbUnits (UID text, factor real, uname text, PropID text, df text)");
        }
        const QByteArray before = fileBytes(path);
        QProcess process;
        startProgram(process, dir, catalogue == QLatin1String("unreadable"));
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY(process.exitCode() != 0);
        const QString report = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(report.contains(QStringLiteral("Run-time error '-2147467259':\n\nQuantaro cannot start:")),
                 qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("\"Tessaly.mdb\"")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(dir.path()))),
                 qPrintable(report));
        QVERIFY2(report.contains(why), qPrintable(report));
        QVERIFY2(report.contains("then start Quantaro again"), qPrintable(report));
        QVERIFY2(!report.contains("Jet"), qPrintable(report));
        // Nothing is made or changed where the catalogue belongs.
        QCOMPARE(QFileInfo(path).exists(), catalogue != QLatin1String("missing"));
        QCOMPARE(fileBytes(path), before);
    }

    void normalStartRunsUntilClosed()
    {
        QTemporaryDir dir;
        installProgram(dir, true);
        runAWhile(dir);
    }

    // A Qt plugin put into the program's folder never runs; the plant itself
    // works, as loading it here shows.
    void plantedPluginNeverLoads()
    {
        QTemporaryDir dir;
        installProgram(dir, true);
        QVERIFY(QDir(dir.path()).mkdir("iconengines"));
        const QString plugin = dir.filePath("iconengines/libplanted.so");
        QVERIFY(QFile::copy(QStringLiteral(PLANTED_PLUGIN), plugin));
        const QString marker = dir.filePath("planted-plugin-ran");
        qputenv("QUANTARO_PLANTED_MARKER", QFile::encodeName(marker));

        runAWhile(dir);
        QVERIFY2(!QFile::exists(marker), "the plugin in the program's folder was loaded");

        QPluginLoader loader(plugin);
        QVERIFY2(loader.load(), qPrintable(loader.errorString()));
        QVERIFY(QFile::exists(marker));
        qunsetenv("QUANTARO_PLANTED_MARKER");
    }

    void menuBarAsDesigned()
    {
        const ShellPage shell(ShellPage::Shipped);
        const MDIMain& main = shell.main;
        QVERIFY(main.windowTitle().startsWith("Quantaro - Veltrin Technologies" + QString(65, ' ') + "www."));
        const QStringList bar = actionTexts(main.menuBar()->actions());
        QCOMPARE(bar, QStringList({"Quantaro|", "&Tools|", "&Help|", "E&xit|"}));
        const QList<QAction*> top = main.menuBar()->actions();
        QVERIFY(!top.at(0)->menu() && top.at(1)->menu() && top.at(2)->menu() && !top.at(3)->menu());
        QCOMPARE(actionTexts(top.at(1)->menu()->actions()), QStringList({"&New|Ctrl+N", "&Options|Ctrl+O"}));
        QCOMPARE(actionTexts(top.at(2)->menu()->actions()), QStringList({"Cont&ents|Ctrl+E", "&About|Ctrl+A"}));
        for (const char* name : {"mnuUnitConv", "mnuNG", "mnuOption", "mnucontents", "mnuAbt", "mnuExit"})
            QVERIFY2(main.findChild<QAction*>(QLatin1String(name)), name);
    }

    void startShowsTheConverterWithItsProperties()
    {
        ShellPage shell(ShellPage::Shipped);
        MDIMain& main = shell.main;
        auto* converter = main.loadedChild<frmUnitConv>();
        QVERIFY(converter);
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        auto* properties = converter->findChild<QComboBox*>("cbProperty");
        QVERIFY(properties && properties->count() > 10);
        QCOMPARE(properties->currentText(), "Select a Property");

        // "Quantaro" brings the converter back after it was closed, loaded afresh.
        converter->findChild<QPushButton*>("cmdCancel")->click();
        QTRY_VERIFY(!main.loadedChild<frmUnitConv>());
        shell.trigger("mnuUnitConv");
        QVERIFY(main.loadedChild<frmUnitConv>());
        shell.trigger("mnuUnitConv");
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
    }

    void captionsFitTheirBoxes()
    {
        // The designed fonts may be missing here; whatever font stands in, no caption is cut off.
        ShellPage shell(ShellPage::Shipped);
        MDIMain& main = shell.main;
        main.mnuAbt_Click();
        for (QMdiSubWindow* frame : main.mdiArea()->subWindowList()) {
            for (const QLabel* label : frame->widget()->findChildren<QLabel*>()) {
                QString text = label->text();
                text.remove(QLatin1Char('&'));
                QVERIFY2(label->fontMetrics().horizontalAdvance(text) <= label->contentsRect().width(),
                         qPrintable(label->objectName()));
            }
        }
    }

    // Ctrl+N, Ctrl+O, Ctrl+E and Ctrl+A reach their menu items from every
    // control of the main window and its child windows, text boxes included.
    void menuShortcutsFromEveryControl()
    {
        ShellPage shell(ShellPage::Shipped);
        MDIMain& main = shell.main;
        main.showChild<frmNew>()->findChild<QRadioButton*>("rdBtn_2")->click();
        main.showChild<frmOptions>()->findChild<QRadioButton*>("rbutUnit")->click();
        main.showChild<frmAbout>();
        MessageBox::takeRecords();

        // Only whether the key reaches the item is asked here, so the items do nothing.
        const QList<QPair<QKeySequence, const char*>> shortcuts{{QKeySequence(Qt::CTRL | Qt::Key_N), "mnuNG"},
                                                                {QKeySequence(Qt::CTRL | Qt::Key_O), "mnuOption"},
                                                                {QKeySequence(Qt::CTRL | Qt::Key_E), "mnucontents"},
                                                                {QKeySequence(Qt::CTRL | Qt::Key_A), "mnuAbt"}};
        for (const auto& shortcut : shortcuts)
            QObject::disconnect(TestKit::control<QAction>(&main, shortcut.second), &QAction::triggered, &main, nullptr);

        QStringList positions;
        for (QWidget* control : main.findChildren<QWidget*>()) {
            if (!(control->focusPolicy() & Qt::TabFocus) || control->focusProxy() || !control->isVisible() ||
                !control->isEnabled() || qobject_cast<QMdiSubWindow*>(control))
                continue;
            auto* frame = qobject_cast<QMdiSubWindow*>(control->window() == &main ? control->parentWidget() : nullptr);
            for (QWidget* up = control; up && !frame; up = up->parentWidget())
                frame = qobject_cast<QMdiSubWindow*>(up);
            if (frame)
                main.mdiArea()->setActiveSubWindow(frame);
            control->setFocus();
            QVERIFY2(control->hasFocus(), qPrintable(control->objectName()));
            const QString where =
                (frame ? frame->widget()->objectName() : "MDIMain") + QLatin1Char('.') + control->objectName();
            positions << where;
            for (const auto& shortcut : shortcuts) {
                QSignalSpy reached(TestKit::control<QAction>(&main, shortcut.second), &QAction::triggered);
                const QKeyCombination key = shortcut.first[0];
                QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
                QVERIFY2(reached.count() == 1, qPrintable(where + QLatin1Char(' ') + shortcut.first.toString()));
            }
        }
        for (const char* expected : {"frmUnitConv.txtInput", "frmUnitConv.txtOutput", "frmUnitConv.cbProperty",
                                     "frmUnitConv.lstUnitFrm", "frmNew.txtValue", "frmNew.txtUnitValue",
                                     "frmNew.cbUnit", "frmOptions.cbProperty", "frmOptions.lst1", "frmAbout.Command1"})
            QVERIFY2(positions.contains(QLatin1String(expected)), expected);
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void aboutBoxShowsOnceAndCloses()
    {
        ShellPage shell(ShellPage::Shipped);
        MDIMain& main = shell.main;
        // Ctrl+A reaches "&About" from inside a child window too.
        QTest::keyClick(main.loadedChild<frmUnitConv>(), Qt::Key_A, Qt::ControlModifier);
        QVERIFY(main.loadedChild<frmAbout>());
        shell.trigger("mnuAbt");
        QCOMPARE(main.mdiArea()->subWindowList().size(), 2);
        auto* about = main.loadedChild<frmAbout>();
        QVERIFY(about);
        QCOMPARE(main.mdiArea()->activeSubWindow(), about->subWindow());
        QCOMPARE(about->windowTitle(), "About Quantaro");
        for (const char* name : {"lblTitle", "lblLegal", "lblMaker", "lblWeb", "lblSupport"})
            QVERIFY2(about->findChild<QWidget*>(QLatin1String(name)), name);
        auto* ok = about->findChild<QPushButton*>("Command1");
        QCOMPARE(ok->text(), "&Ok");
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY(!main.loadedChild<frmAbout>());
        QVERIFY(main.loadedChild<frmUnitConv>());
        QVERIFY(MessageBox::takeRecords().isEmpty());
    }

    void exitAndClosingEndTheProgram()
    {
        for (const bool viaMenu : {true, false}) {
            ShellPage shell(ShellPage::Shipped);
            MDIMain& main = shell.main;
            main.mnuAbt_Click();
            QTimer::singleShot(0, &main, [&shell, &main, viaMenu] {
                if (viaMenu)
                    shell.trigger("mnuExit");
                else
                    main.close();
            });
            QCOMPARE(QCoreApplication::exec(), 0);
            QCOMPARE(main.mdiArea()->subWindowList().size(), 2);
        }
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
