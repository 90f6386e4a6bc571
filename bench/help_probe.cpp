// Help reading under damage and its cost, headless:
//   help_probe flips <TSHelp.chm> [copies=300] [bits=8] [seed=20261208]
//     makes bit-flipped copies of the help file and opens each in a process of
//     its own as the program does (the viewer at the contents topic, then every
//     entry of its contents); counts the copies whose process died or hung.
//   help_probe view <folder>
//     one such process: opens the help file in <folder>, prints "content" or
//     "not found" for each topic shown.
//   help_probe time <folder> [runs=15]
//     times opening help (a new viewer) and showing another topic, each from
//     the request until the window has painted and the event loop is idle.
#include "app/HelpPage.h"
#include "app/HelpViewer.h"
#include "app/ShowHelpTopic.h"
#include "kit/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString Failure = QStringLiteral("There Was An Error Opening the Help File.");

int usage()
{
    std::fprintf(stderr, "usage: help_probe flips <TSHelp.chm> [copies] [bits] [seed] | view <folder> | "
                         "time <folder> [runs]\n");
    return 2;
}

QByteArray flipped(QByteArray data, int bits, QRandomGenerator& random)
{
    for (int i = 0; i < bits; ++i) {
        const auto at = static_cast<qsizetype>(random.bounded(static_cast<quint32>(data.size())));
        data[at] = static_cast<char>(data.at(at) ^ (1 << random.bounded(8)));
    }
    return data;
}

int flips(const QStringList& args)
{
    QFile original(args.value(0));
    if (!original.open(QIODevice::ReadOnly))
        return usage();
    const QByteArray data = original.readAll();
    const int copies = args.value(1, QStringLiteral("300")).toInt();
    const int bits = args.value(2, QStringLiteral("8")).toInt();
    QRandomGenerator random(args.value(3, QStringLiteral("20261208")).toUInt());
    QTemporaryDir dir;
    int died = 0;
    int hung = 0;
    int notFound = 0;
    int content = 0;
    for (int i = 0; i < copies; ++i) {
        const QString folder = dir.filePath(QString::number(i));
        QDir().mkpath(folder);
        QFile copy(folder + QStringLiteral("/TSHelp.chm"));
        if (!copy.open(QIODevice::WriteOnly) || copy.write(flipped(data, bits, random)) != data.size())
            return 1;
        copy.close();
        QProcess view;
        view.start(QCoreApplication::applicationFilePath(), {QStringLiteral("view"), folder});
        if (!view.waitForFinished(10000)) {
            view.kill();
            view.waitForFinished();
            ++hung;
            std::printf("copy %d: hung\n", i);
            continue;
        }
        if (view.exitStatus() == QProcess::CrashExit || view.exitCode() != 0) {
            ++died;
            std::printf("copy %d: died (%s %d)\n", i, view.exitStatus() == QProcess::CrashExit ? "signal" : "exit",
                        view.exitCode());
            continue;
        }
        const QByteArray out = view.readAllStandardOutput();
        notFound += out.contains("not found") ? 1 : 0;
        content += out.contains("content") ? 1 : 0;
    }
    std::printf("%d copies, %d bits flipped in each, seed %s: %d died, %d hung; of the others %d showed content "
                "somewhere, %d showed the not-found page somewhere\n",
                copies, bits, qPrintable(args.value(3, QStringLiteral("20261208"))), died, hung, content, notFound);
    return 0;
}

HelpViewer* onlyViewer()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* viewer = qobject_cast<HelpViewer*>(window); viewer && !viewer->isHidden())
            return viewer;
    return nullptr;
}

void report(const HelpViewer* viewer)
{
    std::printf("%s\n", viewer->showsNotFoundPage() ? "not found" : "content");
}

int view(const QStringList& args)
{
    setHelpDirectory(args.value(0));
    MessageBox::setIntercepting(true);
    ShowHelpTopic(nullptr, QStringLiteral("\\TSHelp.htm#a"), Failure);
    QCoreApplication::processEvents();
    HelpViewer* viewer = onlyViewer();
    if (!viewer)
        return MessageBox::takeRecords().isEmpty() ? 1 : 0;
    report(viewer);
    for (QTreeWidgetItemIterator it(viewer->contents()); *it; ++it) {
        emit viewer->contents()->itemActivated(*it, 0);
        QCoreApplication::processEvents();
        report(viewer);
    }
    return 0;
}

// Runs the event loop until a pass delivers nothing and the viewer has painted.
class Idle : public QObject
{
public:
    Idle() { qApp->installEventFilter(this); }
    ~Idle() override { qApp->removeEventFilter(this); }
    void wait()
    {
        int seen = -1;
        while (seen != m_events || !m_painted) {
            seen = m_events;
            QCoreApplication::processEvents();
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        ++m_events;
        if (event->type() == QEvent::Paint && qobject_cast<HelpPage*>(watched->parent()))
            m_painted = true;
        return false;
    }

private:
    int m_events = 0;
    bool m_painted = false;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double timeTopic(const QString& anchor)
{
    Idle idle;
    QElapsedTimer clock;
    clock.start();
    ShowHelpTopic(nullptr, anchor, Failure);
    idle.wait();
    return clock.nsecsElapsed() / 1e6;
}

int time(const QStringList& args)
{
    setHelpDirectory(args.value(0));
    MessageBox::setIntercepting(true);
    const int runs = args.value(1, QStringLiteral("15")).toInt();
    std::vector<double> opens;
    std::vector<double> switches;
    timeTopic(QStringLiteral("\\TSHelp.htm#a")); // the first fills the caches
    delete onlyViewer();
    for (int i = 0; i < runs; ++i) {
        opens.push_back(timeTopic(QStringLiteral("\\TSHelp.htm#b")));
        switches.push_back(timeTopic(QStringLiteral("\\TSHelp.htm#f")));
        if (onlyViewer()->showsNotFoundPage())
            return 1;
        delete onlyViewer();
    }
    std::printf("help opened in a new viewer, painted: %8.3f ms (median of %d)\n", median(opens), runs);
    std::printf("another topic in the open viewer, painted: %8.3f ms (median of %d)\n", median(switches), runs);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const QString mode = args.value(0);
    args = args.mid(1);
    if (mode == QLatin1String("flips"))
        return flips(args);
    if (mode == QLatin1String("view"))
        return view(args);
    if (mode == QLatin1String("time"))
        return time(args);
    return usage();
}
