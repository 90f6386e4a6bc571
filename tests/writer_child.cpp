// A helper for tst_killed: opens the catalogue named on its command line as the
// program does, then adds properties and units through the New Values window and
// moves items through the options window, in a seeded loop, until it is killed.
// Every line it prints is flushed at once, so the killer knows what was written:
//   ready                     the catalogue is open and the windows are loaded
//   begin prop|unit <name>    an addition is about to be written
//   prop <id> / unit <uid>    that addition was stored
//   want P|U <id> <flag>      a move is about to write this flag...
//   done                      ...and every flag of the move was written
//   fault <text>              something went wrong; the helper stops
//
// Usage: writer_child <catalogue> <seed> <tag> [<journal mode> <synchronous>]

#include "ChildOutput.h"
#include "Gestures.h"

#include "data/RuntimeError.h"
#include "data/Variant.h"
#include "data/modMain.h"
#include "kit/MessageBox.h"
#include "kit/SortedLists.h"
#include "newvalues/frmNew.h"
#include "options/frmOptions.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSqlQuery>

#include <cstdio>
#include <cstdlib>

namespace {

const QString NoUnitText =
    QStringLiteral("No unit available for this property. To add new unit for this property go to 'Tools' -> 'New'.");

using TestKit::fault;
using TestKit::say;

using TestKit::control;

// Picks the entry at `index` from the drop-down, as a user does.
void pick(QComboBox* combo, int index)
{
    if (!TestKit::chooseEntry(combo, combo->itemText(index)))
        fault(QStringLiteral("cannot pick \"%1\"").arg(combo->itemText(index)));
}

// The prompts the windows show on every mode switch, and the no-unit notice, are
// expected; any other box means a write was refused or an error escaped.
void requireNoFailureBox()
{
    for (const MessageBox::Record& box : MessageBox::takeRecords()) {
        const bool prompt =
            box.style == MsgStyle::Information && box.text.startsWith(QLatin1String("Select a Property"));
        if (!prompt && box.text != NoUnitText)
            fault(QStringLiteral("box \"%1\"").arg(box.text));
    }
}

// The first column of the first row of a query on the shared connection.
QString lookUp(const QString& sql, const QString& key)
{
    Recordset rows;
    rows.Open(sql, {key}, &modMain::dbConnection);
    if (rows.Eof())
        fault(QStringLiteral("nothing stored for %1").arg(key));
    return Variant::toText(rows.Fields(0).Value());
}

class Writer
{
public:
    Writer(quint32 seed, const QString& tag) : m_random(seed), m_tag(tag)
    {
        m_adder.Form_Load();
        m_adder.show();
        m_options.Form_Load();
        m_options.show();
        requireNoFailureBox();
    }

    void step()
    {
        // Additions write several rows in one go, so they get most of the
        // kills; a move writes each row on its own.
        const int choice = int(m_random.bounded(20));
        if (choice < 8)
            addProperty();
        else if (choice < 14)
            addUnit();
        else if (choice < 17)
            moveProperties();
        else
            moveUnits();
        requireNoFailureBox();
        QCoreApplication::processEvents();
    }

private:
    QString nextName(const char* kind)
    {
        return QStringLiteral("%1 %2-%3").arg(QLatin1String(kind), m_tag).arg(++m_serial);
    }

    void switchNewValuesTo(const char* option)
    {
        control<QRadioButton>(&m_adder, "rdBtn_1")->setChecked(true);
        control<QRadioButton>(&m_adder, option)->setChecked(true);
    }

    void addProperty()
    {
        switchNewValuesTo("rdBtn_1");
        const QString name = nextName("Property");
        control<QLineEdit>(&m_adder, "txtValue")->setText(name);
        control<QLineEdit>(&m_adder, "txtUnitValue")->setText(nextName("Base"));
        say(QStringLiteral("begin prop ") + name);
        control<QPushButton>(&m_adder, "cmdCalc")->click();
        requireNoFailureBox();
        say(QStringLiteral("prop ") + lookUp(QStringLiteral("select PropID from tbProperty where propname = ?"), name));
    }

    void addUnit()
    {
        switchNewValuesTo("rdBtn_2");
        auto* properties = control<QComboBox>(&m_adder, "cbProperty");
        if (properties->count() == 0)
            return;
        pick(properties, m_random.bounded(properties->count()));
        auto* units = control<QComboBox>(&m_adder, "cbUnit");
        if (units->count() == 0)
            return;
        units->setCurrentIndex(m_random.bounded(units->count()));
        const QString name = nextName("Unit");
        control<QLineEdit>(&m_adder, "txtValue")->setText(name);
        control<QLineEdit>(&m_adder, "txtUnitValue")->setText(QLocale().toString(0.25 * (1 + m_random.bounded(40))));
        say(QStringLiteral("begin unit ") + name);
        control<QPushButton>(&m_adder, "cmdCalc")->click();
        requireNoFailureBox();
        say(QStringLiteral("unit ") + lookUp(QStringLiteral("select UID from tbUnits where uname = ?"), name));
    }

    void moveProperties()
    {
        control<QRadioButton>(&m_options, "rbutProperty")->setChecked(true);
        move(QStringLiteral("P"));
    }

    void moveUnits()
    {
        control<QRadioButton>(&m_options, "rbutUnit")->setChecked(true);
        auto* properties = control<QComboBox>(&m_options, "cbProperty");
        if (properties->count() == 0)
            return;
        pick(properties, m_random.bounded(properties->count()));
        move(QStringLiteral("U"));
    }

    // Selects a few entries, announces the flags the chosen button will write,
    // presses it, and confirms once the button's handler has returned.
    void move(const QString& kind)
    {
        auto* visible = control<SortedLists::ListView>(&m_options, "lst1");
        auto* hidden = control<SortedLists::ListView>(&m_options, "lst2");
        if (visible->count() + hidden->count() == 0)
            return;
        selectSome(visible);
        selectSome(hidden);
        static const char* const buttons[] = {"cmdHideSel", "cmdShowSel", "cmdHideAll", "cmdShowAll"};
        // The buttons that take a whole list are pressed less often, so that
        // both lists keep entries to move.
        const int code = m_random.bounded(10) < 8 ? m_random.bounded(2) : 2 + m_random.bounded(2);
        announce(kind, visible, code == 2, QStringLiteral("1"));
        announce(kind, hidden, code == 3, QStringLiteral("0"));
        control<QPushButton>(&m_options, buttons[code])->click();
        requireNoFailureBox();
        say(QStringLiteral("done"));
    }

    void selectSome(SortedLists::ListView* list)
    {
        const int picks = list->count() == 0 ? 0 : int(m_random.bounded(4));
        for (int i = 0; i < picks; ++i)
            list->setSelected(int(m_random.bounded(list->count())), true);
    }

    static void announce(const QString& kind, const SortedLists::ListView* list, bool all, const QString& flag)
    {
        for (int i = 0; i < list->count(); ++i) {
            if (all || list->isSelected(i))
                say(QStringLiteral("want %1 %2 %3").arg(kind).arg(list->itemData(i)).arg(flag));
        }
    }

    QRandomGenerator m_random;
    QString m_tag;
    int m_serial = 0;
    frmNew m_adder;
    frmOptions m_options;
};

void applySettings(const QString& journalMode, const QString& synchronous)
{
    QSqlQuery query(modMain::dbConnection.database());
    for (const QString& pragma : {QStringLiteral("pragma journal_mode = ") + journalMode,
                                  QStringLiteral("pragma synchronous = ") + synchronous}) {
        if (!query.exec(pragma))
            fault(QStringLiteral("cannot run %1").arg(pragma));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4 && args.size() != 6) {
        std::fputs("usage: writer_child <catalogue> <seed> <tag> [<journal mode> <synchronous>]\n", stderr);
        return 2;
    }
    MessageBox::setIntercepting(true);
    try {
        modMain::dbConnection.ConnectionString = args.at(1);
        modMain::dbConnection.Open();
        if (args.size() == 6)
            applySettings(args.at(4), args.at(5));
        Writer writer(args.at(2).toUInt(), args.at(3));
        say(QStringLiteral("ready"));
        for (;;)
            writer.step();
    } catch (const RuntimeError& error) {
        fault(QStringLiteral("run-time error %1: %2").arg(error.number()).arg(error.description()));
    } catch (const std::exception& error) {
        fault(QString::fromLocal8Bit(error.what()));
    }
}
