// Measures start-up against a program made of the Qt parts the converter needs
// (and a bare Qt program), and the windows' work on a catalogue far larger than
// the shipped one. Prints each figure with its goal and its ratio to that goal.
// Windows are shown and driven by mouse events, as a user drives them; each
// figure runs from the input event until the window has painted and the event
// loop has nothing left to do, and the handler's own time is printed beside it.
// The windows run in a process of their own, started for them, so that a first
// pick meets a process in the state the program's own would be in.
#include "app/Application.h"
#include "convert/frmUnitConv.h"
#include "data/Schema.h"
#include "data/modMain.h"
#include "kit/MessageBox.h"
#include "kit/SortedLists.h"
#include "newvalues/frmNew.h"
#include "options/frmOptions.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int Properties = 2000;
constexpr int Units = 200000;
constexpr int BigUnits = 30000;
constexpr int MoveUnits = 10000;
const QString BigProperty = QStringLiteral("Big property");
const QString MoveProperty = QStringLiteral("Move property");
// The third property, with 80 units like most of the others.
const QString SmallProperty = QStringLiteral("Small property");
constexpr int SmallUnits = 80;
// Property identifiers run from here, in the order big, move, small, then the rest.
constexpr int FirstPropertyId = 5000;

struct ProcessRun
{
    double ms;
    double peakMiB;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One figure: its value, its goal, its ratio (to the goal, or to the bare
// program for start-up) and whether the goal is met (ratio at most `limit`).
void line(const QString& figure, double value, const QString& unit, const QString& goal, double ratio,
          const QString& ratioOf, double limit = 1.0)
{
    std::printf("%-50s %9.3f %-3s  goal %-14s  ratio %5.2f %-7s  %s\n", qPrintable(figure), value, qPrintable(unit),
                qPrintable(goal), ratio, qPrintable(ratioOf), ratio <= limit ? "met" : "MISSED");
    std::fflush(stdout);
}

// A figure measured alongside, with no goal of its own.
void info(const QString& figure, double value, const QString& unit, const QString& note = QString())
{
    std::printf("%-50s %9.3f %-3s  %s\n", qPrintable(figure), value, qPrintable(unit), qPrintable(note));
    std::fflush(stdout);
}

ProcessRun runProcess(const QString& program, const QStringList& arguments = {})
{
    const QByteArray path = program.toLocal8Bit();
    std::vector<QByteArray> texts{path};
    for (const QString& argument : arguments)
        texts.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, path.constData(), nullptr, nullptr, argv.data(), environ) != 0)
        qFatal("cannot start %s", path.constData());
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("%s failed with status %d", path.constData(), status);
    return {ms, usage.ru_maxrss / 1024.0};
}

// The program, and the probe made of the same Qt parts, copied with the
// catalogue to a folder of their own, as installed: the start-up opens the
// catalogue for writing, and the build's own file stays as the build made it.
QString install(const QString& buildDir, const QString& installDir, const QString& program)
{
    for (const QString& name : {program, QStringLiteral("Tessaly.mdb")}) {
        const QString target = installDir + QLatin1Char('/') + name;
        if (!QFile::exists(target) && !QFile::copy(buildDir + QLatin1Char('/') + name, target))
            qFatal("cannot copy %s to %s", qPrintable(name), qPrintable(installDir));
    }
    const QString path = installDir + QLatin1Char('/') + program;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

double ratio(const std::vector<double>& values, const std::vector<double>& base)
{
    return median(values) / median(base);
}

void benchStartup(const QString& buildDir, int runs)
{
    QTemporaryDir installDir;
    const QString app = install(buildDir, installDir.path(), QStringLiteral("bench_startup_probe"));
    const QString parts = install(buildDir, installDir.path(), QStringLiteral("bench_parts_probe"));
    const QString bare = buildDir + QStringLiteral("/bench_bare_probe");
    // The first runs fill the file caches and let the catalogue take its journal mode.
    for (const QString& program : {bare, parts, app})
        runProcess(program);
    std::vector<double> appMs, partsMs, bareMs, appMem, partsMem, bareMem;
    for (int i = 0; i < runs; ++i) {
        // Interleaved, so that whatever else the machine does weighs on all alike.
        const ProcessRun bareRun = runProcess(bare);
        const ProcessRun partsRun = runProcess(parts);
        const ProcessRun appRun = runProcess(app);
        bareMs.push_back(bareRun.ms);
        partsMs.push_back(partsRun.ms);
        appMs.push_back(appRun.ms);
        bareMem.push_back(bareRun.peakMiB);
        partsMem.push_back(partsRun.peakMiB);
        appMem.push_back(appRun.peakMiB);
    }
    info(QStringLiteral("bare Qt MDI window: start to first frame, exit"), median(bareMs), QStringLiteral("ms"),
         QStringLiteral("median of %1 runs").arg(runs));
    info(QStringLiteral("bare Qt MDI window: peak memory"), median(bareMem), QStringLiteral("MiB"));
    info(QStringLiteral("the converter's Qt parts alone: start to exit"), median(partsMs), QStringLiteral("ms"),
         QStringLiteral("%1 x bare").arg(ratio(partsMs, bareMs), 0, 'f', 2));
    info(QStringLiteral("the converter's Qt parts alone: peak memory"), median(partsMem), QStringLiteral("MiB"),
         QStringLiteral("%1 x bare").arg(ratio(partsMem, bareMem), 0, 'f', 2));
    line(QStringLiteral("start-up: converter shown and filled, then exit"), median(appMs), QStringLiteral("ms"),
         QStringLiteral("<= 1.1 x parts"), ratio(appMs, partsMs), QStringLiteral("x parts"), 1.1);
    info(QStringLiteral("  against the bare window"), ratio(appMs, bareMs), QStringLiteral("x"));
    line(QStringLiteral("start-up: peak memory"), median(appMem), QStringLiteral("MiB"),
         QStringLiteral("<= 1.1 x parts"), ratio(appMem, partsMem), QStringLiteral("x parts"), 1.1);
    info(QStringLiteral("  against the bare window"), ratio(appMem, bareMem), QStringLiteral("x"));
}

QString randomName(QRandomGenerator& random)
{
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    QString name;
    const int length = 6 + random.bounded(10);
    for (int i = 0; i < length; ++i)
        name += letters.at(random.bounded(letters.size()));
    return name;
}

void exec(QSqlQuery& query)
{
    if (!query.exec())
        qFatal("cannot fill the benchmark catalogue: %s", qPrintable(query.lastError().text()));
}

// 2,000 properties and 200,000 units in random name order; one property holds
// 30,000 units, another 10,000 for the moves, and the rest 80 or 81 each.
QString makeLargeCatalogue(const QString& dir)
{
    const QString path = dir + QStringLiteral("/Tessaly.mdb");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-make"));
        db.setDatabaseName(path);
        db.open();
        Schema::create(db);
        db.transaction();
        QRandomGenerator random(20261207);
        QSqlQuery property(db);
        property.prepare(QStringLiteral("insert into tbProperty values (?, ?, '0')"));
        for (int p = 0; p < Properties; ++p) {
            property.bindValue(0, QString::number(FirstPropertyId + p));
            const QString name = p == 0   ? BigProperty
                                 : p == 1 ? MoveProperty
                                 : p == 2 ? SmallProperty
                                          : randomName(random);
            property.bindValue(1, name);
            exec(property);
        }
        QSqlQuery unit(db);
        unit.prepare(QStringLiteral("insert into tbUnits values (?, ?, ?, ?, '0')"));
        for (int u = 0; u < Units; ++u) {
            const int owner = u < BigUnits ? 0 : u < BigUnits + MoveUnits ? 1 : 2 + (u % (Properties - 2));
            unit.bindValue(0, QString::number(100000 + u));
            unit.bindValue(1, randomName(random) + QString::number(u));
            unit.bindValue(2, 0.5 + random.generateDouble() * 1000.0);
            unit.bindValue(3, QString::number(FirstPropertyId + owner));
            exec(unit);
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-make"));
    return path;
}

double timeMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// Counts the events the application delivers, to tell when the event loop has
// nothing left to do, and notes whether `form` or one of its controls painted.
class EventWatch : public QObject
{
public:
    explicit EventWatch(QWidget* form) : m_form(form) { qApp->installEventFilter(this); }
    ~EventWatch() override { qApp->removeEventFilter(this); }
    int events() const { return m_events; }
    bool painted() const { return m_painted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        ++m_events;
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            m_painted = m_painted || widget == m_form || m_form->isAncestorOf(widget);
        }
        return false;
    }

private:
    QWidget* m_form;
    int m_events = 0;
    bool m_painted = false;
};

// Runs the event loop until the window has painted and a pass over the loop
// delivers nothing: the layout, the paint and whatever the handler posted are done.
void runUntilIdle(const EventWatch& watch)
{
    QElapsedTimer limit;
    limit.start();
    int seen = -1;
    while (seen != watch.events() || !watch.painted()) {
        if (limit.elapsed() > 20000)
            qFatal("the window did not paint and settle within 20 s");
        seen = watch.events();
        QCoreApplication::processEvents();
    }
}

void settle(QWidget& form)
{
    form.update();
    const EventWatch watch(&form);
    runUntilIdle(watch);
}

struct InputTiming
{
    double handler;
    double idle;
};

// Times one input: from just before `input` sends its events to the end of the
// window's handler (connected to `done` before this), and to the window painted
// with the event loop idle.
template <typename Sender, typename Signal>
InputTiming timeInput(QWidget& form, Sender* sender, Signal done, const std::function<void()>& input)
{
    const EventWatch watch(&form);
    QElapsedTimer clock;
    double handler = -1;
    const QMetaObject::Connection hook = QObject::connect(sender, done, [&] {
        if (handler < 0)
            handler = clock.nsecsElapsed() / 1e6;
    });
    clock.start();
    input();
    runUntilIdle(watch);
    const double idle = clock.nsecsElapsed() / 1e6;
    QObject::disconnect(hook);
    if (handler < 0)
        qFatal("the input reached no handler");
    return {handler, idle};
}

// One figure of the table: painted and idle against its goal, the handler beside it.
void inputLine(const QString& figure, const InputTiming& timing, double goalMs, const QString& note = QString())
{
    line(figure, timing.idle, QStringLiteral("ms"), QStringLiteral("< %1 ms").arg(goalMs), timing.idle / goalMs,
         QStringLiteral("of goal"));
    info(QStringLiteral("  of which the handler"), timing.handler, QStringLiteral("ms"), note);
}

constexpr int Runs = 5;

// The median of several timings, each element by itself.
InputTiming medianOf(const std::vector<InputTiming>& timings)
{
    std::vector<double> handlers;
    std::vector<double> idles;
    for (const InputTiming& timing : timings) {
        handlers.push_back(timing.handler);
        idles.push_back(timing.idle);
    }
    return {median(handlers), median(idles)};
}

QString runsNote(int runs)
{
    return QStringLiteral("median of %1 runs").arg(runs);
}

void showForm(QWidget& form)
{
    form.show();
    settle(form);
}

template <typename T> T* child(QWidget* form, const char* name)
{
    T* widget = form->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

// Opens the combo's drop-down at `text`; the click on the entry is the timed input.
std::function<void()> pickFromPopup(QComboBox* combo, const QString& text)
{
    const int row = combo->findText(text);
    if (row < 0)
        qFatal("no entry %s", qPrintable(text));
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QCoreApplication::processEvents();
    return [view, index] { QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center()); };
}

InputTiming timePick(QWidget& form, QComboBox* combo, const QString& text)
{
    const std::function<void()> click = pickFromPopup(combo, text);
    return timeInput(form, combo, &QComboBox::activated, click);
}

InputTiming timeClick(QWidget& form, QAbstractButton* button)
{
    return timeInput(form, button, &QAbstractButton::clicked, [button] { QTest::mouseClick(button, Qt::LeftButton); });
}

// Every box the handlers showed must be one the benchmark expected.
void expectBoxes(const QStringList& texts)
{
    QStringList shown;
    for (const MessageBox::Record& box : MessageBox::takeRecords())
        shown << box.text;
    if (shown != texts)
        qFatal("unexpected message boxes: %s", qPrintable(shown.join(QStringLiteral(" | "))));
}

void expectCount(const SortedLists::ListView* list, int count)
{
    if (list->count() != count)
        qFatal("%s holds %d entries, not %d", qPrintable(list->objectName()), list->count(), count);
}

// What another program reading the file sees: a connection of its own.
int countOnOwnConnection(const QString& sql, const QVariantList& params)
{
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-check"));
        db.setDatabaseName(modMain::dbConnection.ConnectionString);
        if (!db.open())
            qFatal("cannot open the catalogue a second time");
        QSqlQuery query(db);
        query.prepare(sql);
        for (const QVariant& param : params)
            query.addBindValue(param);
        if (query.exec() && query.next())
            count = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-check"));
    return count;
}

// The memory the process holds, as the system counts it (resident set).
double residentMiB()
{
    QFile file(QStringLiteral("/proc/self/statm"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    const QList<QByteArray> fields = file.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void benchConverter()
{
    frmUnitConv form;
    // The program fills the property list before it shows the window.
    const double load = timeMs([&] { form.Form_Load(); });
    line(QStringLiteral("converter: property list of 2,000 properties"), load, QStringLiteral("ms"),
         QStringLiteral("< 50 ms"), load / 50, QStringLiteral("of goal"));
    showForm(form);

    auto* combo = child<QComboBox>(&form, "cbProperty");
    auto* from = child<SortedLists::ListView>(&form, "lstUnitFrm");
    auto* to = child<SortedLists::ListView>(&form, "lstUnitTo");
    const double before = residentMiB();
    const InputTiming first = timePick(form, combo, BigProperty);
    const double added = residentMiB() - before;
    expectCount(from, BigUnits);
    expectCount(to, BigUnits);
    inputLine(QStringLiteral("converter: pick the 30,000-unit property, first"), first, 60);
    line(QStringLiteral("converter: memory added by that first pick"), added, QStringLiteral("MiB"),
         QStringLiteral("< 10 MB"), added * 1.048576 / 10, QStringLiteral("of goal"));

    std::vector<InputTiming> again;
    for (int i = 0; i < Runs; ++i)
        again.push_back(timePick(form, combo, BigProperty));
    inputLine(QStringLiteral("converter: pick it again while it is shown"), medianOf(again), 60, runsNote(Runs));

    std::vector<InputTiming> small;
    for (int i = 0; i < Runs; ++i) {
        timePick(form, combo, BigProperty);
        small.push_back(timePick(form, combo, SmallProperty));
        expectCount(from, SmallUnits);
    }
    inputLine(QStringLiteral("converter: pick an 80-unit property, 30,000 shown"), medianOf(small), 10, runsNote(Runs));

    timePick(form, combo, BigProperty);
    child<QLineEdit>(&form, "txtInput")->setText(QStringLiteral("12.5"));
    from->setCurrentRow(3);
    expectBoxes({QStringLiteral("Select Unit To")});
    settle(form);
    constexpr int Clicks = 21;
    std::vector<InputTiming> conversions;
    for (int i = 0; i < Clicks; ++i) {
        const QPoint at = to->rowRect(1 + i % 10).center();
        conversions.push_back(timeInput(form, to, &SortedLists::ListView::itemSelectionChanged,
                                        [&] { QTest::mouseClick(to->viewport(), Qt::LeftButton, {}, at); }));
    }
    if (child<QLineEdit>(&form, "txtOutput")->text().isEmpty())
        qFatal("the conversion showed no result");
    inputLine(QStringLiteral("converter: unit selected to result shown"), medianOf(conversions), 3, runsNote(Clicks));
    expectBoxes({});
}

void benchNewValues()
{
    frmNew form;
    form.Form_Load();
    showForm(form);
    QTest::mouseClick(child<QRadioButton>(&form, "rdBtn_2"), Qt::LeftButton);
    expectBoxes({QStringLiteral("Select a Property from the list Below")});
    settle(form);
    auto* properties = child<QComboBox>(&form, "cbProperty");
    auto* units = child<QComboBox>(&form, "cbUnit");
    const InputTiming first = timePick(form, properties, BigProperty);
    std::vector<InputTiming> runs;
    for (int i = 0; i < Runs; ++i)
        runs.push_back(timePick(form, properties, BigProperty));
    if (units->count() != BigUnits)
        qFatal("the base-unit list holds %d units, not %d", units->count(), BigUnits);
    inputLine(QStringLiteral("new values: base units of the 30,000-unit property"), medianOf(runs), 60, runsNote(Runs));
    info(QStringLiteral("  first pick in the window"), first.idle, QStringLiteral("ms"),
         QStringLiteral("handler %1 ms").arg(first.handler, 0, 'f', 3));
    expectBoxes({});
}

void benchOptions()
{
    frmOptions form;
    form.Form_Load();
    showForm(form);
    auto* unitKind = child<QRadioButton>(&form, "rbutUnit");
    auto* propertyKind = child<QRadioButton>(&form, "rbutProperty");
    auto* combo = child<QComboBox>(&form, "cbProperty");
    auto* visible = child<SortedLists::ListView>(&form, "lst1");
    auto* hidden = child<SortedLists::ListView>(&form, "lst2");

    std::vector<InputTiming> kinds;
    for (int i = 0; i < Runs; ++i) {
        QTest::mouseClick(unitKind, Qt::LeftButton);
        expectBoxes({QStringLiteral("Select a Property from the list")});
        settle(form);
        kinds.push_back(timeClick(form, propertyKind));
        expectCount(visible, Properties);
    }
    inputLine(QStringLiteral("options: Property kind, 2,000 properties"), medianOf(kinds), 40, runsNote(Runs));

    QTest::mouseClick(unitKind, Qt::LeftButton);
    expectBoxes({QStringLiteral("Select a Property from the list")});
    settle(form);
    std::vector<InputTiming> picks;
    for (int i = 0; i < Runs; ++i)
        picks.push_back(timePick(form, combo, BigProperty));
    expectCount(visible, BigUnits);
    inputLine(QStringLiteral("options: units of the 30,000-unit property"), medianOf(picks), 80, runsNote(Runs));

    timePick(form, combo, MoveProperty);
    constexpr int Moves = 3;
    std::vector<InputTiming> moves;
    for (int i = 0; i < Moves; ++i) {
        // The units are shown again between two runs, untimed.
        if (i > 0) {
            QTest::mouseClick(child<QPushButton>(&form, "cmdShowAll"), Qt::LeftButton);
            settle(form);
            expectCount(visible, MoveUnits);
        }
        moves.push_back(timeClick(form, child<QPushButton>(&form, "cmdHideAll")));
        expectCount(hidden, MoveUnits);
        // Each change is in the catalogue for any other reader as soon as the press is over.
        const int inFile =
            countOnOwnConnection(QStringLiteral("select count(*) from tbUnits where PropID = ? and df = '1'"),
                                 {QString::number(FirstPropertyId + 1)});
        if (inFile != MoveUnits)
            qFatal("another connection sees %d hidden units, not %d", inFile, MoveUnits);
    }
    const InputTiming move = medianOf(moves);
    inputLine(QStringLiteral("options: \"=>\" over 10,000 units, refill, paint"), move, 350, runsNote(Moves));
    info(QStringLiteral("  per unit hidden (one lookup, one Update)"), move.handler / MoveUnits, QStringLiteral("ms"),
         QStringLiteral("handler time / 10,000"));
    expectBoxes({});
}

void benchAdds()
{
    constexpr int Adds = 1000;
    frmNew form;
    form.Form_Load();
    showForm(form);
    auto* name = child<QLineEdit>(&form, "txtValue");
    auto* base = child<QLineEdit>(&form, "txtUnitValue");
    auto* add = child<QPushButton>(&form, "cmdCalc");
    std::vector<double> times;
    for (int i = 0; i < Adds; ++i) {
        name->setText(QStringLiteral("Bench property %1").arg(i));
        base->setText(QStringLiteral("Bench unit"));
        times.push_back(timeMs([&] { add->click(); }));
    }
    expectBoxes({});
    const int stored = countOnOwnConnection(QStringLiteral("select count(distinct PropID) from tbUserProperty"), {});
    if (stored != Adds)
        qFatal("%d of %d additions were stored", stored, Adds);
    double total = 0;
    for (double ms : times)
        total += ms;
    const double perAdd = total / Adds;
    line(QStringLiteral("new values: one property added (mean of 1,000)"), perAdd, QStringLiteral("ms"),
         QStringLiteral("< 5 ms"), perAdd / 5, QStringLiteral("of goal"));
    std::sort(times.begin(), times.end());
    info(QStringLiteral("  slowest of the 1,000 additions"), times.back(), QStringLiteral("ms"),
         QStringLiteral("95th percentile %1 ms").arg(times[Adds * 95 / 100], 0, 'f', 3));
}

// The offscreen platform says at every popup that it cannot raise windows or
// grab the keyboard; that says nothing about the figures.
void quietPlatform(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (!text.startsWith(QLatin1String("This plugin does not support")))
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    if (type == QtFatalMsg)
        std::abort();
}

// The window figures, in a process of their own on the catalogue at `path`.
int benchWindows(const QString& path)
{
    qInstallMessageHandler(quietPlatform);
    MessageBox::setIntercepting(true);
    modMain::dbConnection.ConnectionString = path;
    modMain::dbConnection.Open();
    benchConverter();
    benchNewValues();
    benchOptions();
    benchAdds();
    modMain::dbConnection.Close();
    return 0;
}

// The first line of a /proc file that starts with `key`, without the key.
// Such files report no size, so they are read to the end rather than by length.
QString procLine(const QString& path, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& text : lines) {
        if (text.startsWith(key))
            return text.mid(text.indexOf(QLatin1Char(':')) + 1).trimmed();
    }
    return QString();
}

// What else the machine was doing: the load averages of the last 1, 5 and 15 minutes.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll()).split(QLatin1Char(' ')).mid(0, 3).join(QLatin1Char(' '));
}

// Processors, processor model and memory, for the record beside the figures.
QString machine()
{
    const double memoryGiB =
        procLine(QStringLiteral("/proc/meminfo"), QStringLiteral("MemTotal")).split(' ').first().toDouble() /
        (1024.0 * 1024.0);
    return QStringLiteral("%1 processors (%2), %3 GiB memory")
        .arg(QThread::idealThreadCount())
        .arg(procLine(QStringLiteral("/proc/cpuinfo"), QStringLiteral("model name")))
        .arg(memoryGiB, 0, 'f', 1);
}

} // namespace

int main(int argc, char* argv[])
{
    // Windows are measured without a screen, like the tests run them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program's own application: after every input it has the file take in what was written.
    Application app(argc, argv);
    QLocale::setDefault(QLocale::c());
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("--windows"))
        return benchWindows(arguments.at(2));
    const QString dir = QCoreApplication::applicationDirPath();
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 15;

    std::printf("Quantaro benchmarks, %s, %s, Qt %s\n", qPrintable(QDateTime::currentDateTime().toString(Qt::ISODate)),
                qPrintable(QSysInfo::prettyProductName()), qVersion());
    std::printf("machine: %s; load average %s\n\n", qPrintable(machine()), qPrintable(loadAverage()));
    benchStartup(dir, runs);

    QTemporaryDir work;
    QElapsedTimer made;
    made.start();
    const QString catalogue = makeLargeCatalogue(work.path());
    info(QStringLiteral("large catalogue: 2,000 properties, 200,000 units"), made.nsecsElapsed() / 1e9,
         QStringLiteral("s"), QStringLiteral("to make"));
    std::printf("load average before the windows: %s\n", qPrintable(loadAverage()));
    runProcess(QCoreApplication::applicationFilePath(), {QStringLiteral("--windows"), catalogue});
    std::printf("\nload average at the end: %s\n", qPrintable(loadAverage()));
    return 0;
}
