#include "CatalogueRows.h"
#include "DataTable.h"
#include "Gestures.h"
#include "RandomSeed.h"
#include "ShellPage.h"
#include "TestDatabase.h"

#include "app/MDIMain.h"
#include "app/frmAbout.h"
#include "convert/frmUnitConv.h"
#include "data/modMain.h"
#include "engine/ConversionEngine.h"
#include "kit/MessageBox.h"
#include "kit/SortedLists.h"
#include "newvalues/frmNew.h"
#include "options/frmOptions.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMap>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

// A seeded random walk through every window inside a real main window. After
// each step the lists must agree with the catalogue, the converter's two lists
// must match, no box may be left open and nothing may escape a handler.
// QUANTARO_SEED repeats a walk; a failure names the seed and the step.

namespace {

constexpr quint32 DefaultSeed = 7;

struct Entry
{
    QString text;
    qint32 id = 0;
    bool operator==(const Entry& other) const { return text == other.text && id == other.id; }
};
using Entries = QList<Entry>;

bool sortsBefore(const Entry& a, const Entry& b)
{
    const int order = QString::compare(a.text, b.text, Qt::CaseInsensitive);
    if (order != 0)
        return order < 0;
    return a.text != b.text ? a.text < b.text : a.id < b.id;
}

Entries entriesOf(const SortedLists::ListView* list)
{
    Entries entries;
    for (int i = 0; i < list->count(); ++i)
        entries << Entry{list->text(i), list->itemData(i)};
    return entries;
}

Entries entriesOf(const QComboBox* combo)
{
    Entries entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << Entry{combo->itemText(i), combo->itemData(i).value<qint32>()};
    return entries;
}

QString describe(const Entries& entries)
{
    QStringList texts;
    for (const Entry& entry : entries)
        texts << QStringLiteral("%1=%2").arg(entry.text).arg(entry.id);
    return QLatin1Char('[') + texts.join(QStringLiteral(", ")) + QLatin1Char(']');
}

// A list shows the expected entries, in alphabetical order ignoring letter case
// (entries of equal text may come in any order).
QString compareEntries(const QString& what, const Entries& actual, Entries expected)
{
    for (int i = 1; i < actual.size(); ++i) {
        if (QString::compare(actual.at(i - 1).text, actual.at(i).text, Qt::CaseInsensitive) > 0)
            return QStringLiteral("%1 is out of order: %2").arg(what, describe(actual));
    }
    Entries sorted = actual;
    std::sort(sorted.begin(), sorted.end(), sortsBefore);
    std::sort(expected.begin(), expected.end(), sortsBefore);
    if (sorted != expected)
        return QStringLiteral("%1 holds %2, the catalogue says %3").arg(what, describe(sorted), describe(expected));
    return QString();
}

// The entry picked in an editable combo: selected, with its text still in the edit field.
int pickedIndex(const QComboBox* combo)
{
    const int index = combo->currentIndex();
    return index >= 0 && combo->itemText(index) == combo->currentText() ? index : -1;
}

using TestKit::control;

// The run-time error the converter may report for input the walk types on
// purpose: a property combo typed over after a pick (381). Any other failure
// box means something broke.
bool isToleratedError(const QString& text)
{
    return text.startsWith(QLatin1String("Run-time error '381':"));
}

const QStringList TypedNames{"Alpha",   "alpha",  "Beta ",       " Gamma",     "O'Brien",
                             "50% off", "a_b",    "back\\slash", "semi;colon", "select * from tbUnits",
                             "metre",   "Length", "Ünïcødé",     "名前",       "😀 emoji",
                             "   ",     ""};
const QStringList TypedNumbers{"1",    "100",   "0",     "-3.5", "2.54", "0.3048", "abc", "",     "  ",
                               "1e39", "-1e39", "1e-46", "12",   "1,5",  "3.4e38", "NaN", "1e400"};

// What the walk knows about the catalogue and about what each window should show.
class Walk
{
public:
    Walk(TestDatabase& db, MDIMain& main, quint32 seed)
        : m_db(db), m_main(main), m_random(seed), m_flags(flagsInCatalogue())
    {
        m_additionBalance = additionBalance();
        noticeLoads();
    }

    // Runs one action chosen at random among those the open windows offer;
    // returns what it did.
    QString step()
    {
        Actions actions;
        offerMenu(actions);
        offerFrames(actions);
        if (frmAbout* form = m_main.loadedChild<frmAbout>())
            actions.append({2, [=] { return click(control<QPushButton>(form, "Command1"), QStringLiteral("about")); }});
        if (frmUnitConv* form = m_main.loadedChild<frmUnitConv>())
            offerConverter(form, actions);
        if (frmNew* form = m_main.loadedChild<frmNew>())
            offerNewValues(form, actions);
        if (frmOptions* form = m_main.loadedChild<frmOptions>())
            offerOptions(form, actions);

        int total = 0;
        for (const auto& action : actions)
            total += action.first;
        int ticket = int(m_random.bounded(total));
        QString done;
        for (const auto& action : actions) {
            ticket -= action.first;
            if (ticket < 0) {
                done = action.second();
                break;
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        noticeLoads();
        for (const MessageBox::Record& box : MessageBox::takeRecords())
            noteBox(box.text, box.style == MsgStyle::Critical);
        return done;
    }

    // Counts a box the walk met; a failure box other than those the walk's own
    // input may cause is a fault.
    void noteBox(const QString& text, bool critical)
    {
        ++m_boxes[critical ? text.section(QLatin1Char('\n'), 0, 0) : text];
        if (critical && !isToleratedError(text))
            m_failureBoxes << text;
    }

    // The invariants; returns every one that fails.
    QStringList check()
    {
        QStringList problems;
        if (QWidget* modal = QApplication::activeModalWidget())
            problems << QStringLiteral("a modal window is open: %1").arg(modal->objectName());
        checkFlags(problems);
        checkAdditions(problems);
        if (frmUnitConv* form = m_main.loadedChild<frmUnitConv>())
            checkConverter(form, problems);
        if (frmNew* form = m_main.loadedChild<frmNew>())
            checkNewValues(form, problems);
        if (frmOptions* form = m_main.loadedChild<frmOptions>())
            checkOptions(form, problems);
        for (const QString& box : std::exchange(m_failureBoxes, {}))
            problems << QStringLiteral("unexpected failure box: %1").arg(box);
        problems.removeAll(QString());
        return problems;
    }

    const QMap<QString, int>& boxes() const { return m_boxes; }
    int rowsAdded() const { return m_rowsAdded; }
    int flagChanges() const { return m_flagChanges; }

private:
    using Actions = QList<std::pair<int, std::function<QString()>>>;

    // ---- Choices ----------------------------------------------------------

    int pick(int count) { return int(m_random.bounded(count)); }
    const QString& anyOf(const QStringList& texts) { return texts.at(pick(texts.size())); }

    QString choose(QComboBox* combo, const QString& where)
    {
        const int index = pick(combo->count());
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        return QStringLiteral("%1: pick \"%2\"").arg(where, combo->itemText(index));
    }

    static QString typeInto(QLineEdit* box, const QString& text, const QString& where)
    {
        TestKit::typeInto(box, text);
        return QStringLiteral("%1: type \"%2\"").arg(where, text);
    }

    // Types over a combo's choice: some text, or an entry's name in other
    // letter case; then maybe Return, which lets Qt pick the entry so named.
    QString typeOver(QComboBox* combo, const QString& where)
    {
        QString text = anyOf(TypedNames);
        if (combo->count() > 0 && pick(2) == 0) {
            text = combo->itemText(pick(combo->count()));
            text = pick(2) == 0 ? text.toUpper() : text.toLower();
        }
        combo->setEditText(text);
        const bool enter = pick(3) == 0;
        if (enter)
            QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        return QStringLiteral("%1: type \"%2\"%3 over %4")
            .arg(where, text, enter ? "+Return" : "", combo->objectName());
    }

    static QString click(QAbstractButton* button, const QString& where)
    {
        button->click();
        return QStringLiteral("%1: %2").arg(where, button->objectName());
    }

    QString clickRow(SortedLists::ListView* list, const QString& where)
    {
        const int row = pick(list->count());
        // Taking the focus may refill the list (see noticeLoads), so the entry
        // is read before the click.
        const QString done = QStringLiteral("%1: click \"%2\" in %3").arg(where, list->text(row), list->objectName());
        list->scrollTo(list->modelIndex(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->rowRect(row).center());
        return done;
    }

    // The frame's own buttons: closing a window without its "&Done", and
    // minimising it (the menu brings it back).
    void offerFrames(Actions& actions)
    {
        for (QMdiSubWindow* frame : m_main.mdiArea()->subWindowList()) {
            QPointer<QMdiSubWindow> target = frame;
            actions.append({1, [target] {
                                const QString name = target->objectName();
                                target->close();
                                return QStringLiteral("frame: close ") + name;
                            }});
            actions.append({1, [target] {
                                target->showMinimized();
                                return QStringLiteral("frame: minimise ") + target->objectName();
                            }});
        }
    }

    void offerMenu(Actions& actions)
    {
        for (const char* name : {"mnuUnitConv", "mnuNG", "mnuOption", "mnuAbt"}) {
            QAction* action = control<QAction>(&m_main, name);
            actions.append({name[3] == 'A' ? 1 : 3, [action] {
                                action->trigger();
                                return QStringLiteral("menu: ") + action->objectName();
                            }});
        }
    }

    void offerConverter(frmUnitConv* form, Actions& actions)
    {
        const QString where = QStringLiteral("converter");
        auto* properties = control<QComboBox>(form, "cbProperty");
        auto* from = control<SortedLists::ListView>(form, "lstUnitFrm");
        auto* to = control<SortedLists::ListView>(form, "lstUnitTo");
        if (properties->count() > 0)
            actions.append({6, [=] { return choose(properties, where); }});
        actions.append({1, [=] { return typeOver(properties, where); }});
        actions.append({4, [=] { return typeInto(control<QLineEdit>(form, "txtInput"), anyOf(TypedNumbers), where); }});
        if (from->count() > 0) {
            actions.append({5, [=] { return clickRow(from, where); }});
            actions.append({5, [=] { return clickRow(to, where); }});
        }
        actions.append({3, [=] { return click(control<QPushButton>(form, "cmdSwap"), where); }});
        if (properties->count() > 0)
            actions.append({3, [=] { return convertSomething(form, where); }});
        actions.append({2, [=] { return click(control<QPushButton>(form, "cmdClear"), where); }});
        for (const char* name : {"cmdCancel", "Command2", "Command3"})
            actions.append({1, [=] { return click(control<QPushButton>(form, name), where); }});
    }

    // A whole conversion as a user makes it: property, value, both units.
    QString convertSomething(frmUnitConv* form, const QString& where)
    {
        QStringList done{choose(control<QComboBox>(form, "cbProperty"), where)};
        done << typeInto(control<QLineEdit>(form, "txtInput"), QLocale().toString(pick(1000) / 8.0), where);
        for (const char* name : {"lstUnitFrm", "lstUnitTo"}) {
            auto* list = control<SortedLists::ListView>(form, name);
            if (list->count() > 0)
                done << clickRow(list, where);
        }
        return done.join(QStringLiteral("; "));
    }

    // A whole addition as a user makes it, in the window's current mode: a
    // property with its base unit, or a unit with its property, base unit and
    // factor.
    QString addSomething(frmNew* form, const QString& where)
    {
        QStringList done;
        const QString name = anyOf(TypedNames).trimmed() + QString::number(pick(100));
        if (control<QRadioButton>(form, "rdBtn_2")->isChecked()) {
            auto* properties = control<QComboBox>(form, "cbProperty");
            if (properties->count() > 0)
                done << choose(properties, where);
            auto* units = control<QComboBox>(form, "cbUnit");
            if (units->count() > 0) {
                units->setCurrentIndex(pick(units->count()));
                done << QStringLiteral("base unit \"%1\"").arg(units->currentText());
            }
            done << typeInto(control<QLineEdit>(form, "txtUnitValue"), QLocale().toString(1 + pick(100) / 4.0), where);
        } else {
            done << typeInto(control<QLineEdit>(form, "txtUnitValue"), anyOf(TypedNames) + QLatin1Char('u'), where);
        }
        done << typeInto(control<QLineEdit>(form, "txtValue"), name, where);
        done << click(control<QPushButton>(form, "cmdCalc"), where);
        return done.join(QStringLiteral("; "));
    }

    void offerNewValues(frmNew* form, Actions& actions)
    {
        const QString where = QStringLiteral("new values");
        auto* properties = control<QComboBox>(form, "cbProperty");
        auto* units = control<QComboBox>(form, "cbUnit");
        actions.append({2, [=] { return click(control<QRadioButton>(form, "rdBtn_1"), where); }});
        actions.append({2, [=] { return click(control<QRadioButton>(form, "rdBtn_2"), where); }});
        if (properties->isVisibleTo(form) && properties->count() > 0) {
            actions.append({4, [=] { return choose(properties, where); }});
            actions.append({1, [=] { return typeOver(properties, where); }});
        }
        if (units->isVisibleTo(form)) {
            if (units->count() > 0)
                actions.append({4, [=] {
                                    const int index = pick(units->count());
                                    units->setCurrentIndex(index);
                                    return QStringLiteral("%1: base unit \"%2\"").arg(where, units->itemText(index));
                                }});
            actions.append({1, [=] { return typeOver(units, where); }});
        }
        actions.append({3, [=] { return typeInto(control<QLineEdit>(form, "txtValue"), anyOf(TypedNames), where); }});
        actions.append({3, [=] {
                            auto* second = control<QLineEdit>(form, "txtUnitValue");
                            return typeInto(
                                second,
                                anyOf(control<QRadioButton>(form, "rdBtn_2")->isChecked() ? TypedNumbers : TypedNames),
                                where);
                        }});
        actions.append({4, [=] { return click(control<QPushButton>(form, "cmdCalc"), where); }});
        actions.append({3, [=] { return addSomething(form, where); }});
        actions.append({1, [=] { return click(control<QPushButton>(form, "cmdClear"), where); }});
        actions.append({1, [=] { return click(control<QPushButton>(form, "cmdExit"), where); }});
    }

    void offerOptions(frmOptions* form, Actions& actions)
    {
        const QString where = QStringLiteral("options");
        auto* properties = control<QComboBox>(form, "cbProperty");
        auto* visible = control<SortedLists::ListView>(form, "lst1");
        auto* hidden = control<SortedLists::ListView>(form, "lst2");
        for (const char* name : {"rbutProperty", "rbutUnit"})
            actions.append({2, [=] { return click(control<QRadioButton>(form, name), where); }});
        if (properties->isVisibleTo(form) && properties->count() > 0) {
            actions.append({4, [=] { return choose(properties, where); }});
            actions.append({1, [=] { return typeOver(properties, where); }});
        }
        if (visible->count() > 0)
            actions.append({4, [=] { return clickRow(visible, where); }});
        if (hidden->count() > 0)
            actions.append({4, [=] { return clickRow(hidden, where); }});
        const char* const buttons[] = {"cmdHideSel", "cmdShowSel", "cmdHideAll", "cmdShowAll"};
        for (int code = 0; code < 4; ++code)
            actions.append({code < 2 ? 3 : 1, [=] {
                                expectMove(form, code);
                                return click(control<QPushButton>(form, buttons[code]), where);
                            }});
        actions.append({1, [=] { return click(control<QPushButton>(form, "cmdCancel"), where); }});
    }

    // ---- What the windows should show -------------------------------------

    Entries query(const QString& sql, const QVariantList& params = {})
    {
        Entries entries;
        for (const QStringList& row : m_db.rows(sql, params))
            entries << Entry{row.at(1), row.at(0).toInt()};
        return entries;
    }

    Entries allProperties() { return query(QStringLiteral("select PropID, propname from tbProperty")); }

    Entries visibleProperties()
    {
        return query(QStringLiteral("select PropID, propname from tbProperty where propDF = '0'"));
    }

    Entries propertiesFlagged(const QString& flag)
    {
        return query(QStringLiteral("select PropID, propname from tbProperty where propDF = ?"), {flag});
    }

    // The units flagged `flag` of the property picked in `combo`, after following
    // a borrowed unit list; none when nothing is picked.
    Entries expectedUnits(const QComboBox* combo, const QString& flag)
    {
        const int index = pickedIndex(combo);
        if (index < 0)
            return {};
        const QString saved = modMain::CurrentPropID;
        modMain::CurrentPropID = QString::number(combo->itemData(index).value<qint32>());
        ResolveUnitProperty();
        const QString propId = modMain::CurrentPropID;
        modMain::CurrentPropID = saved;
        return query(QStringLiteral("select UID, uname from tbUnits where PropID = ? and df = ?"), {propId, flag});
    }

    void expectOptionLists(frmOptions* form)
    {
        m_optionVisible.clear();
        m_optionHidden.clear();
        if (form->itemKind() == frmOptions::Kind::Property) {
            m_optionVisible = propertiesFlagged(QStringLiteral("0"));
            m_optionHidden = propertiesFlagged(QStringLiteral("1"));
        } else if (control<QRadioButton>(form, "rbutUnit")->isChecked()) {
            auto* properties = control<QComboBox>(form, "cbProperty");
            m_optionVisible = expectedUnits(properties, QStringLiteral("0"));
            m_optionHidden = expectedUnits(properties, QStringLiteral("1"));
        }
    }

    // The flags a move button writes: the selected (or, for "=>" and "<=", all)
    // visible entries become hidden, the selected hidden entries visible.
    void expectMove(frmOptions* form, int code)
    {
        const QString kind =
            form->itemKind() == frmOptions::Kind::Property ? QStringLiteral("P:") : QStringLiteral("U:");
        const auto mark = [&](const SortedLists::ListView* list, bool all, const QString& flag) {
            for (int i = 0; i < list->count(); ++i) {
                if (!all && !list->isSelected(i))
                    continue;
                const QString key = kind + QString::number(list->itemData(i));
                m_flagChanges += m_flags.value(key) != flag;
                m_flags.insert(key, flag);
            }
        };
        mark(control<SortedLists::ListView>(form, "lst1"), code == 2, QStringLiteral("1"));
        mark(control<SortedLists::ListView>(form, "lst2"), code == 3, QStringLiteral("0"));
    }

    // A window loaded by the last step starts from its loading state. From then
    // on, whenever one of its handlers fills a list (whatever set it off: a
    // pick, or Qt choosing the entry whose name was typed when the combo loses
    // the focus), what the list should hold is read from the catalogue at once.
    void noticeLoads()
    {
        if (frmUnitConv* form = m_main.loadedChild<frmUnitConv>(); form != m_converter) {
            m_converter = form;
            m_converterProperties = visibleProperties();
            m_converterUnits.clear();
            if (form)
                followConverter(form);
        }
        if (frmNew* form = m_main.loadedChild<frmNew>(); form != m_newValues) {
            m_newValues = form;
            m_newProperties.clear();
            m_newUnits.clear();
            if (form)
                followNewValues(form);
        }
        if (frmOptions* form = m_main.loadedChild<frmOptions>(); form != m_options) {
            m_options = form;
            m_optionProperties.clear();
            m_optionVisible.clear();
            m_optionHidden.clear();
            if (form)
                followOptions(form);
        }
    }

    // The window's own handlers were connected first, so these run after them.
    void followConverter(frmUnitConv* form)
    {
        auto* properties = control<QComboBox>(form, "cbProperty");
        QObject::connect(properties, &QComboBox::activated, &m_guard,
                         [=] { m_converterUnits = expectedUnits(properties, QStringLiteral("0")); });
        QObject::connect(control<QPushButton>(form, "cmdClear"), &QPushButton::clicked, &m_guard,
                         [this] { m_converterUnits.clear(); });
    }

    void followNewValues(frmNew* form)
    {
        auto* properties = control<QComboBox>(form, "cbProperty");
        QObject::connect(control<QRadioButton>(form, "rdBtn_2"), &QRadioButton::toggled, &m_guard, [this](bool on) {
            if (on)
                m_newProperties = allProperties();
        });
        QObject::connect(properties, &QComboBox::activated, &m_guard,
                         [=] { m_newUnits = expectedUnits(properties, QStringLiteral("0")); });
    }

    void followOptions(frmOptions* form)
    {
        QObject::connect(control<QRadioButton>(form, "rbutUnit"), &QRadioButton::toggled, &m_guard, [this](bool on) {
            if (!on)
                return;
            m_optionProperties = visibleProperties();
            m_optionVisible.clear();
            m_optionHidden.clear();
        });
        QObject::connect(control<QRadioButton>(form, "rbutProperty"), &QRadioButton::toggled, &m_guard, [=](bool on) {
            if (!on)
                return;
            m_optionProperties.clear();
            expectOptionLists(form);
        });
        QObject::connect(control<QComboBox>(form, "cbProperty"), &QComboBox::activated, &m_guard,
                         [=] { expectOptionLists(form); });
        for (const char* name : {"cmdHideSel", "cmdShowSel", "cmdHideAll", "cmdShowAll"})
            QObject::connect(control<QPushButton>(form, name), &QPushButton::clicked, &m_guard,
                             [=] { expectOptionLists(form); });
    }

    // ---- Invariants -------------------------------------------------------

    // Only the options window writes flags, and only what its buttons ask for;
    // an added row is visible; no row ever goes.
    void checkFlags(QStringList& problems)
    {
        const QHash<QString, QString> found = flagsInCatalogue();
        for (auto it = m_flags.cbegin(); it != m_flags.cend(); ++it) {
            if (!found.contains(it.key()))
                problems << QStringLiteral("row %1 is gone").arg(it.key());
            else if (found.value(it.key()) != it.value())
                problems << QStringLiteral("flag of %1 is \"%2\", expected \"%3\"")
                                .arg(it.key(), found.value(it.key()), it.value());
        }
        for (auto it = found.cbegin(); it != found.cend(); ++it) {
            if (!m_flags.contains(it.key())) {
                if (it.value() != QLatin1String("0"))
                    problems << QStringLiteral("new row %1 is flagged \"%2\"").arg(it.key(), it.value());
                m_flags.insert(it.key(), it.value());
                ++m_rowsAdded;
            }
        }
    }

    // Every row's flag, keyed "P:" and the property's identifier or "U:" and the unit's.
    QHash<QString, QString> flagsInCatalogue()
    {
        QHash<QString, QString> flags;
        for (const QStringList& row :
             m_db.rows(QStringLiteral("select 'P:' || PropID, propDF from tbProperty union all "
                                      "select 'U:' || UID, df from tbUnits")))
            flags.insert(row.at(0), row.at(1));
        return flags;
    }

    // Each addition writes its catalogue rows and its user records together.
    int additionBalance()
    {
        const auto count = [this](const char* table) {
            return m_db.scalar(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))).toInt();
        };
        return (count("tbProperty") - count("tbUserProperty")) * 100000 + count("tbUnits") - count("tbUserUnits");
    }

    void checkAdditions(QStringList& problems)
    {
        if (additionBalance() != m_additionBalance)
            problems << QStringLiteral("catalogue rows and user records no longer match in number");
    }

    void checkConverter(frmUnitConv* form, QStringList& problems)
    {
        const Entries from = entriesOf(control<SortedLists::ListView>(form, "lstUnitFrm"));
        const Entries to = entriesOf(control<SortedLists::ListView>(form, "lstUnitTo"));
        if (from != to)
            problems << QStringLiteral("converter lists differ: %1 and %2").arg(describe(from), describe(to));
        problems << compareEntries(QStringLiteral("converter units"), from, m_converterUnits);
        problems << compareEntries(QStringLiteral("converter properties"),
                                   entriesOf(control<QComboBox>(form, "cbProperty")), m_converterProperties);
    }

    void checkNewValues(frmNew* form, QStringList& problems)
    {
        problems << compareEntries(QStringLiteral("new values properties"),
                                   entriesOf(control<QComboBox>(form, "cbProperty")), m_newProperties);
        problems << compareEntries(QStringLiteral("new values base units"),
                                   entriesOf(control<QComboBox>(form, "cbUnit")), m_newUnits);
    }

    void checkOptions(frmOptions* form, QStringList& problems)
    {
        problems << compareEntries(QStringLiteral("options properties"),
                                   entriesOf(control<QComboBox>(form, "cbProperty")), m_optionProperties);
        problems << compareEntries(QStringLiteral("options visible"),
                                   entriesOf(control<SortedLists::ListView>(form, "lst1")), m_optionVisible);
        problems << compareEntries(QStringLiteral("options hidden"),
                                   entriesOf(control<SortedLists::ListView>(form, "lst2")), m_optionHidden);
        // Nothing but this window changes flags, so its lists never go stale.
        const QString kind =
            form->itemKind() == frmOptions::Kind::Property ? QStringLiteral("P:") : QStringLiteral("U:");
        for (const auto& [list, flag] : {std::pair{"lst1", "0"}, std::pair{"lst2", "1"}}) {
            for (const Entry& entry : entriesOf(control<SortedLists::ListView>(form, list))) {
                const QString key = kind + QString::number(entry.id);
                if (m_flags.value(key) != QLatin1String(flag))
                    problems
                        << QStringLiteral("options %1 lists %2, flagged \"%3\"").arg(list, key, m_flags.value(key));
            }
        }
    }

    TestDatabase& m_db;
    MDIMain& m_main;
    QRandomGenerator m_random;
    QHash<QString, QString> m_flags;
    int m_additionBalance = 0;
    QMap<QString, int> m_boxes;
    int m_rowsAdded = 0;
    int m_flagChanges = 0;
    QStringList m_failureBoxes;

    QPointer<frmUnitConv> m_converter;
    Entries m_converterProperties;
    Entries m_converterUnits;
    QPointer<frmNew> m_newValues;
    Entries m_newProperties;
    Entries m_newUnits;
    QPointer<frmOptions> m_options;
    Entries m_optionProperties;
    Entries m_optionVisible;
    Entries m_optionHidden;
    // Ends the connections above first when the walk goes.
    QObject m_guard;
};

// Real message boxes for a walk: a timer finds each box the walk opens and
// answers it after letting its event loop run a little. At one box in three,
// while it is open, a window is unloaded first, as a key press that reaches a
// window before its box takes the keyboard does: a Done, Options or New Values
// button, a frame's close button or Tools > New.
class RealBoxes
{
public:
    RealBoxes(Walk& walk, MDIMain& main, quint32 seed) : m_walk(walk), m_main(main), m_random(seed)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start(2);
    }

    int unloadsWhileOpen() const { return m_unloads; }
    QStringList unloadsDone() { return std::exchange(m_done, {}); }

private:
    void tick()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (box != m_seen) {
            m_seen = box;
            m_ticks = 0;
            m_walk.noteBox(box->text(), box->icon() == QMessageBox::Critical);
            if (m_random.bounded(3) == 0)
                unloadSomething();
            return;
        }
        if (++m_ticks >= 2)
            box->button(QMessageBox::Ok)->click();
    }

    void unloadSomething()
    {
        QList<std::pair<QString, std::function<void()>>> choices;
        const auto button = [&](ChildForm* form, const char* name) {
            if (!form)
                return;
            auto* target = control<QAbstractButton>(form, name);
            choices.append(
                {form->objectName() + QLatin1Char('.') + QLatin1String(name), [target] { target->click(); }});
        };
        for (const char* name : {"cmdCancel", "Command2", "Command3"})
            button(m_main.loadedChild<frmUnitConv>(), name);
        button(m_main.loadedChild<frmNew>(), "cmdExit");
        button(m_main.loadedChild<frmOptions>(), "cmdCancel");
        button(m_main.loadedChild<frmAbout>(), "Command1");
        for (QMdiSubWindow* frame : m_main.mdiArea()->subWindowList())
            choices.append({QStringLiteral("close ") + frame->objectName(), [frame] { frame->close(); }});
        QAction* tools = control<QAction>(&m_main, "mnuNG");
        choices.append({QStringLiteral("mnuNG"), [tools] { tools->trigger(); }});
        const auto& [name, action] = choices.at(int(m_random.bounded(int(choices.size()))));
        m_done << name;
        ++m_unloads;
        action();
    }

    Walk& m_walk;
    MDIMain& m_main;
    QRandomGenerator m_random;
    QTimer m_timer;
    QPointer<QMessageBox> m_seen;
    int m_ticks = 0;
    int m_unloads = 0;
    QStringList m_done;
};

// Length with a borrowed list (Distance), both temperature properties, a hidden
// property, a property whose units are all hidden, one without units, and names
// that differ only in letter case.
void seed(TestDatabase& db)
{
    const QList<TestKit::PropertyRow> properties{
        {"1015", "Length"}, {"1040", "Distance"}, {"92", "Temperature"}, {"93", "temperature diff"},
        {"12", "Mass"},     {"13", "Power", "1"}, {"14", "Speed"},       {"15", "Empty"},
        {"16", "mass"}};
    const QList<TestKit::UnitRow> units{
        {"1", "metre", 1.0, "1015"},     {"2", "Foot", 3.28084, "1015"},     {"3", "inch", 39.3701, "1015", "1"},
        {"4", "Mile", 0.000621, "1015"}, {"5", "Metre", 1.0, "1015"},        {"6", "Celsius", 1.0, "92"},
        {"7", "Fahrenheit", 1.0, "92"},  {"8", "Kelvin", 1.0, "92"},         {"9", "Rankine", 1.0, "92", "1"},
        {"10", "Celsius", 1.0, "93"},    {"11", "Kelvin", 1.0, "93"},        {"12", "gram", 1000.0, "12"},
        {"13", "Pound", 2.20462, "12"},  {"14", "ounce", 35.274, "12", "1"}, {"15", "watt", 1.0, "13"},
        {"16", "knot", 1.0, "14", "1"},  {"17", "kilogram", 1.0, "16"}};
    TestKit::addRows(db, properties, units);
}

} // namespace

class TestRandomWalk : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        MessageBox::setIntercepting(true);
        m_seed = TestKit::suiteSeed(DefaultSeed);
        qInfo("seed %u (set QUANTARO_SEED to repeat)", m_seed);
    }

    void walkKeepsEveryWindowTrue_data()
    {
        const TestKit::DataTable<bool, QString, int, quint32, bool> row("shipped", "locale", "steps", "salt",
                                                                        "realBoxes");
        row("small catalogue", false, "C", 2000, 0u, false);
        row("shipped catalogue", true, "C", 1000, 1u, false);
        row("small catalogue, German numbers", false, "de_DE", 1000, 2u, false);
        row("small catalogue, real boxes", false, "C", 1500, 3u, true);
    }

    void walkKeepsEveryWindowTrue()
    {
        QFETCH(bool, shipped);
        QFETCH(QString, locale);
        QFETCH(int, steps);
        QFETCH(quint32, salt);
        QFETCH(bool, realBoxes);
        QLocale::setDefault(QLocale(locale));
        MessageBox::setIntercepting(!realBoxes);
        TestDatabase db;
        if (shipped)
            db.useShippedCatalogue();
        else
            seed(db);
        db.openShared();
        TestKit::ShellPage shell;
        const quint32 seed = m_seed + salt;
        Walk walk(db, shell.main, seed);
        std::unique_ptr<RealBoxes> boxes = realBoxes ? std::make_unique<RealBoxes>(walk, shell.main, seed) : nullptr;
        QStringList recent;

        for (int step = 1; step <= steps; ++step) {
            QString done;
            QString escaped;
            try {
                done = walk.step();
            } catch (const std::exception& error) {
                escaped = QString::fromLocal8Bit(error.what());
            } catch (...) {
                escaped = QStringLiteral("an unknown exception");
            }
            if (boxes) {
                const QStringList unloads = boxes->unloadsDone();
                if (!unloads.isEmpty())
                    done += QStringLiteral(" [while a box was open: %1]").arg(unloads.join(QStringLiteral(", ")));
            }
            recent << done;
            if (recent.size() > 8)
                recent.removeFirst();
            const QString where = QStringLiteral("seed %1, step %2 (%3); steps before:\n  %4")
                                      .arg(seed)
                                      .arg(step)
                                      .arg(done, recent.mid(0, recent.size() - 1).join(QStringLiteral("\n  ")));
            QVERIFY2(escaped.isEmpty(), qPrintable(QStringLiteral("%1 escaped at %2").arg(escaped, where)));
            const QStringList problems = walk.check();
            QVERIFY2(problems.isEmpty(),
                     qPrintable(problems.join(QLatin1Char('\n')) + QStringLiteral("\nat ") + where));
            ++m_steps;
        }
        for (auto it = walk.boxes().cbegin(); it != walk.boxes().cend(); ++it)
            m_boxes[it.key()] += it.value();
        m_rowsAdded += walk.rowsAdded();
        m_flagChanges += walk.flagChanges();
        if (boxes) {
            qInfo("windows unloaded while their box was open: %d", boxes->unloadsWhileOpen());
            QVERIFY(boxes->unloadsWhileOpen() > 0);
        }
    }

    void cleanupTestCase()
    {
        QLocale::setDefault(QLocale::c());
        qInfo("random steps run: %d (rows added: %d, flags changed: %d)", m_steps, m_rowsAdded, m_flagChanges);
        for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it)
            qInfo("  %5d x box \"%s\"", it.value(), qPrintable(it.key()));
    }

private:
    quint32 m_seed = DefaultSeed;
    int m_steps = 0;
    int m_rowsAdded = 0;
    int m_flagChanges = 0;
    QMap<QString, int> m_boxes;
};

QTEST_MAIN(TestRandomWalk)
#include "tst_randomwalk.moc"
