// Measures start-up against a bare Qt program (and, to tell the program's own
// share, against one made of the same Qt parts), and the windows' work on a
// catalogue far larger than the shipped one. Prints each figure with its goal
// and its ratio to that goal (start-up: to the bare program measured alongside).
// Windows are shown, as they are when the user works in them; the handlers run
// as the user's clicks run them.
#include "app/MessageBox.h"
#include "app/SortedLists.h"
#include "convert/frmUnitConv.h"
#include "data/Schema.h"
#include "data/modMain.h"
#include "newvalues/frmNew.h"
#include "options/frmOptions.h"

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
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr int Properties = 2000;
constexpr int Units = 200000;
constexpr int BigUnits = 30000;
constexpr int MoveUnits = 10000;
const QString BigProperty = QStringLiteral("Big property");
const QString MoveProperty = QStringLiteral("Move property");
// Property identifiers run from here; the big property is the first, the move property the second.
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

ProcessRun runProcess(const QString& program)
{
    const QByteArray path = program.toLocal8Bit();
    char* argv[] = {const_cast<char*>(path.constData()), nullptr};
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, path.constData(), nullptr, nullptr, argv, environ) != 0)
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
// shipped catalogue to a folder of their own, as installed: the start-up opens
// the catalogue for writing, and the user's file in the build stays untouched.
QString install(const QString& buildDir, const QString& installDir, const QString& program)
{
    const QList<std::pair<QString, QString>> files{{program, program},
                                                   {QStringLiteral("Tessaly.seed.mdb"), QStringLiteral("Tessaly.mdb")}};
    for (const auto& [from, name] : files) {
        const QString target = installDir + QLatin1Char('/') + name;
        if (!QFile::exists(target) && !QFile::copy(buildDir + QLatin1Char('/') + from, target))
            qFatal("cannot copy %s to %s", qPrintable(from), qPrintable(installDir));
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
         QStringLiteral("<= 1.3 x bare"), ratio(appMs, bareMs), QStringLiteral("x bare"), 1.3);
    info(QStringLiteral("  against the Qt parts alone"), ratio(appMs, partsMs), QStringLiteral("x"));
    line(QStringLiteral("start-up: peak memory"), median(appMem), QStringLiteral("MiB"),
         QStringLiteral("<= 1.3 x bare"), ratio(appMem, bareMem), QStringLiteral("x bare"), 1.3);
    info(QStringLiteral("  against the Qt parts alone"), ratio(appMem, partsMem), QStringLiteral("x"));
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
// 30,000 units and another 10,000 for the moves.
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
            property.bindValue(1, p == 0 ? BigProperty : p == 1 ? MoveProperty : randomName(random));
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

// Lets a shown window lay out and paint what its handler changed.
double settleMs(QWidget& form)
{
    return timeMs([&] {
        QCoreApplication::processEvents();
        form.repaint();
    });
}

void showForm(QWidget& form)
{
    form.show();
    settleMs(form);
}

void pick(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    if (index < 0)
        qFatal("no entry %s", qPrintable(text));
    combo->setCurrentIndex(index);
}

template <typename T> T* child(QWidget* form, const char* name)
{
    T* widget = form->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
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

// A list fill timed as the user meets it: the first run in the process, then
// the median of further runs (each starting from what the last one left, as a
// second pick does); and the window's layout and paint after each run.
struct FillTiming
{
    double first;
    double median;
    double settle;
};

constexpr int FillRuns = 5;

FillTiming timeFill(QWidget& form, const std::function<void()>& handler)
{
    FillTiming timing{};
    timing.first = timeMs(handler);
    std::vector<double> settles{settleMs(form)};
    std::vector<double> runs;
    for (int i = 0; i < FillRuns; ++i) {
        runs.push_back(timeMs(handler));
        settles.push_back(settleMs(form));
    }
    timing.median = median(runs);
    timing.settle = median(settles);
    return timing;
}

void fillLines(const QString& figure, const FillTiming& timing, double goalMs)
{
    line(figure, timing.median, QStringLiteral("ms"), QStringLiteral("< %1 ms").arg(goalMs), timing.median / goalMs,
         QStringLiteral("of goal"));
    info(QStringLiteral("  first run in the process"), timing.first, QStringLiteral("ms"),
         QStringLiteral("ratio %1 of goal").arg(timing.first / goalMs, 0, 'f', 2));
    info(QStringLiteral("  then the window laid out and painted"), timing.settle, QStringLiteral("ms"),
         QStringLiteral("outside the handler"));
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
    pick(combo, BigProperty);
    const FillTiming fill = timeFill(form, [&] { form.cbProperty_Click(); });
    auto* from = child<SortedLists::ListView>(&form, "lstUnitFrm");
    auto* to = child<SortedLists::ListView>(&form, "lstUnitTo");
    if (from->count() != BigUnits || to->count() != BigUnits)
        qFatal("the unit lists hold %d and %d units, not %d", from->count(), to->count(), BigUnits);
    fillLines(QStringLiteral("converter: both unit lists, 30,000 units"), fill, 100);

    child<QLineEdit>(&form, "txtInput")->setText(QStringLiteral("12.5"));
    from->setCurrentRow(17);
    expectBoxes({QStringLiteral("Select Unit To")});
    std::vector<double> conversions;
    for (int i = 0; i < 200; ++i)
        conversions.push_back(timeMs([&] { to->setCurrentRow((i * 149) % to->count()); }));
    const double convert = median(conversions);
    if (child<QLineEdit>(&form, "txtOutput")->text().isEmpty())
        qFatal("the conversion showed no result");
    line(QStringLiteral("converter: unit selected to result shown"), convert, QStringLiteral("ms"),
         QStringLiteral("< 1 ms"), convert / 1, QStringLiteral("of goal"));
    expectBoxes({});
}

void benchNewValues()
{
    frmNew form;
    form.Form_Load();
    showForm(form);
    form.rdBtn_Click(2);
    expectBoxes({QStringLiteral("Select a Property from the list Below")});
    settleMs(form);
    pick(child<QComboBox>(&form, "cbProperty"), BigProperty);
    const FillTiming fill = timeFill(form, [&] { form.cbProperty_Click(); });
    if (child<QComboBox>(&form, "cbUnit")->count() != BigUnits)
        qFatal("the base-unit list holds %d units, not %d", child<QComboBox>(&form, "cbUnit")->count(), BigUnits);
    fillLines(QStringLiteral("new values: base-unit list, 30,000 units"), fill, 100);
    expectBoxes({});
}

void benchOptions()
{
    frmOptions form;
    form.Form_Load();
    showForm(form);
    const double kind = timeMs([&] { child<QRadioButton>(&form, "rbutUnit")->click(); });
    expectBoxes({QStringLiteral("Select a Property from the list")});
    line(QStringLiteral("options: Unit kind chosen, 2,000 properties"), kind, QStringLiteral("ms"),
         QStringLiteral("< 100 ms"), kind / 100, QStringLiteral("of goal"));
    settleMs(form);

    pick(child<QComboBox>(&form, "cbProperty"), BigProperty);
    const FillTiming fill = timeFill(form, [&] { form.cbProperty_Click(); });
    if (child<SortedLists::ListView>(&form, "lst1")->count() != BigUnits)
        qFatal("the visible list holds %d units, not %d", child<SortedLists::ListView>(&form, "lst1")->count(),
               BigUnits);
    fillLines(QStringLiteral("options: Unit kind lists, 30,000 units"), fill, 100);

    pick(child<QComboBox>(&form, "cbProperty"), MoveProperty);
    form.cbProperty_Click();
    settleMs(form);
    // The press, and the file taking its changes in once it is over, as the program does.
    const double move = timeMs([&] {
        child<QPushButton>(&form, "cmdHideAll")->click();
        modMain::dbConnection.saveToFile();
    });
    if (child<SortedLists::ListView>(&form, "lst2")->count() != MoveUnits)
        qFatal("the move hid %d units, not %d", child<SortedLists::ListView>(&form, "lst2")->count(), MoveUnits);
    // Each change is in the catalogue for any other reader as soon as the press is over.
    const int hidden =
        countOnOwnConnection(QStringLiteral("select count(*) from tbUnits where PropID = ? and df = '1'"),
                             {QString::number(FirstPropertyId + 1)});
    if (hidden != MoveUnits)
        qFatal("another connection sees %d hidden units, not %d", hidden, MoveUnits);
    line(QStringLiteral("options: \"=>\" over 10,000 units and the refill"), move, QStringLiteral("ms"),
         QStringLiteral("< 1000 ms"), move / 1000, QStringLiteral("of goal"));
    info(QStringLiteral("  per unit hidden (one lookup, one Update)"), move / MoveUnits, QStringLiteral("ms"));
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
        times.push_back(timeMs([&] {
            add->click();
            modMain::dbConnection.saveToFile();
        }));
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
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    MessageBox::setIntercepting(true);
    const QString dir = QCoreApplication::applicationDirPath();
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 15;

    std::printf("Quantaro benchmarks, %s, %s, Qt %s\n", qPrintable(QDateTime::currentDateTime().toString(Qt::ISODate)),
                qPrintable(QSysInfo::prettyProductName()), qVersion());
    std::printf("machine: %s; load average %s\n\n", qPrintable(machine()), qPrintable(loadAverage()));
    benchStartup(dir, runs);

    QTemporaryDir work;
    QElapsedTimer made;
    made.start();
    modMain::dbConnection.ConnectionString = makeLargeCatalogue(work.path());
    info(QStringLiteral("large catalogue: 2,000 properties, 200,000 units"), made.nsecsElapsed() / 1e9,
         QStringLiteral("s"), QStringLiteral("to make"));
    modMain::dbConnection.Open();
    benchConverter();
    benchNewValues();
    benchOptions();
    benchAdds();
    std::printf("\nload average at the end: %s\n", qPrintable(loadAverage()));
    modMain::dbConnection.Close();
    return 0;
}
