#include "frmOptions.h"

#include "data/RuntimeError.h"
#include "data/Schema.h"
#include "data/modMain.h"
#include "engine/ConversionEngine.h"
#include "kit/FormLayout.h"
#include "kit/MessageBox.h"
#include "kit/SortedLists.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <utility>
#include <vector>

using FormLayout::designFont;
using FormLayout::makeFrame;
using FormLayout::named;
using FormLayout::place;

namespace {

const QString PropertyPrompt = QStringLiteral("Select a Property");

using Schema::flagIs;
using Schema::HiddenFlag;
using Schema::VisibleFlag;
// A failure box lists at most this many items that had vanished from the catalogue.
constexpr int MaxListedFailures = 10;

QFont frameFont()
{
    return designFont(QStringLiteral("Tahoma"), 9.75, true);
}

QFont listFont()
{
    return designFont(QStringLiteral("MS Sans Serif"), 8.25, false);
}

void keepPlainText(QWidget* child, const QWidget* form)
{
    QPalette plain;
    plain.setColor(QPalette::WindowText, form->palette().color(QPalette::WindowText));
    child->setPalette(plain);
}

QFrame* makeRule(QWidget* parent, const char* name, int topTwips)
{
    auto* rule = named(new QFrame(parent), name);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setLineWidth(1);
    QPalette grey = rule->palette();
    grey.setColor(QPalette::WindowText, QColor(192, 192, 192));
    rule->setPalette(grey);
    place(rule, 0, topTwips, 11880, 15);
    return rule;
}

SortedLists::ListView* makeList(QWidget* parent, const char* name)
{
    auto* list = named(new SortedLists::ListView(parent), name);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->setFont(listFont());
    return list;
}

QPushButton* makeMoveButton(QWidget* parent, const char* name, const QString& caption, const QString& spoken, int top)
{
    auto* button = named(new QPushButton(caption, parent), name);
    button->setFont(designFont(QStringLiteral("Tahoma"), 14.25, true));
    button->setAccessibleName(spoken);
    place(button, 5340, top, 1275, 375);
    return button;
}

QLabel* makeListLabel(QWidget* parent, const char* name, const QString& caption, int left, QWidget* list)
{
    auto* label = named(new QLabel(caption, parent), name);
    label->setFont(designFont(QStringLiteral("Trebuchet MS"), 11.25, true));
    label->setBuddy(list);
    list->setAccessibleName(caption);
    place(label, left, 1260, 1545, 285);
    return label;
}

} // namespace

frmOptions::frmOptions(QWidget* parent) : ChildForm(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Option - Quantaro"));
    createControls();
    setFixedSize(FormLayout::layOut(this, 11880, 6000));
    arrangeTabOrder();
    connectHandlers();
}

void frmOptions::createControls()
{
    Frame1 = makeFrame(this, "Frame1", QStringLiteral("Select Item"));
    place(Frame1, 60, 90, 2535, 825);
    rbutProperty = named(new QRadioButton(QStringLiteral("Property"), Frame1), "rbutProperty");
    place(rbutProperty, 210, 300, 1185, 315);
    rbutUnit = named(new QRadioButton(QStringLiteral("Unit"), Frame1), "rbutUnit");
    place(rbutUnit, 1695, 300, 705, 315);
    for (QRadioButton* option : {rbutProperty, rbutUnit}) {
        option->setFont(frameFont());
        keepPlainText(option, this);
    }

    Frame2 = makeFrame(this, "Frame2", QStringLiteral("Property"));
    place(Frame2, 2760, 90, 9045, 825);
    cbProperty = named(new QComboBox(Frame2), "cbProperty");
    cbProperty->setEditable(true);
    cbProperty->setInsertPolicy(QComboBox::NoInsert);
    SortedLists::useSortedModel(cbProperty);
    cbProperty->setFont(listFont());
    cbProperty->setAccessibleName(QStringLiteral("Property"));
    keepPlainText(cbProperty, this);
    place(cbProperty, 120, 360, 8835, 315);

    Line1 = makeRule(this, "Line1", 1080);
    lst1 = makeList(this, "lst1");
    place(lst1, 60, 1590, 5205, 4155);
    lst2 = makeList(this, "lst2");
    place(lst2, 6660, 1590, 5205, 4155);
    lbloutput_0 = makeListLabel(this, "lbloutput_0", QStringLiteral("Visible Item(s)"), 90, lst1);
    lbloutput_1 = makeListLabel(this, "lbloutput_1", QStringLiteral("Hiden Item(s)"), 6630, lst2);

    // Both arrows move every selected entry of both lists to the other side.
    const QString moveSelected = QStringLiteral("Move selected to the other list");
    cmdHideSel = makeMoveButton(this, "cmdHideSel", QStringLiteral("-->"), moveSelected, 1710);
    cmdShowSel = makeMoveButton(this, "cmdShowSel", QStringLiteral("<--"), moveSelected, 2145);
    cmdHideAll = makeMoveButton(this, "cmdHideAll", QStringLiteral("=>"), QStringLiteral("Hide all"), 2925);
    cmdShowAll = makeMoveButton(this, "cmdShowAll", QStringLiteral("<="), QStringLiteral("Show all"), 3360);

    cmdCancel = named(new QPushButton(QStringLiteral("&Done"), this), "cmdCancel");
    cmdCancel->setFont(frameFont());
    place(cmdCancel, 5340, 4140, 1275, 585);

    cmdHelp_0 = FormLayout::makeHelpButton(this, 40, 5580, 4950);

    Line2 = makeRule(this, "Line2", 5880);
}

void frmOptions::arrangeTabOrder()
{
    FormLayout::orderTabs({cbProperty, rbutProperty, rbutUnit, lst1, lst2, cmdHideSel, cmdShowSel, cmdHideAll,
                           cmdShowAll, cmdCancel, cmdHelp_0});
}

void frmOptions::connectHandlers()
{
    // An option's handler runs when it becomes the selected one, by mouse or keyboard.
    connect(rbutUnit, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rbutUnit_Click();
    });
    connect(rbutProperty, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rbutProperty_Click();
    });
    connect(cbProperty, &QComboBox::activated, this, &frmOptions::cbProperty_Click);
    connect(cmdHideSel, &QPushButton::clicked, this, &frmOptions::cmdHideSel_Click);
    connect(cmdShowSel, &QPushButton::clicked, this, &frmOptions::cmdShowSel_Click);
    connect(cmdHideAll, &QPushButton::clicked, this, &frmOptions::cmdHideAll_Click);
    connect(cmdShowAll, &QPushButton::clicked, this, &frmOptions::cmdShowAll_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
    connect(cmdHelp_0, &QPushButton::clicked, this, &frmOptions::cmdHelp_Click);
}

void frmOptions::Form_Activate()
{
    moveInArea(5, 5);
}

void frmOptions::showPropertyPrompt()
{
    cbProperty->setCurrentIndex(-1);
    cbProperty->setEditText(PropertyPrompt);
}

void frmOptions::rbutUnit_Click()
{
    runGuarded(this, [&] {
        ItemKind = Kind::Unit;
        lst1->clear();
        lst2->clear();
        cbProperty->clear();
        cbProperty->setVisible(true);
        MessageBox::show(this, QStringLiteral("Select a Property from the list"), MsgStyle::Information, BoxTitle);
        showPropertyPrompt();
        modMain::OpenRecordset(QStringLiteral("Select * from tbProperty"));
        cbProperty->clear();
        Recordset& rs = modMain::dbRecordset;
        {
            SortedLists::Batch properties;
            SortedLists::fillFromRows(rs, QStringLiteral("tbProperty"),
                                      SortedLists::visibleRows(Schema::PropertyColumn::propDF, properties),
                                      [&] { SortedLists::insertSorted(cbProperty, std::move(properties)); });
        }
        rs.Close();
        showPropertyPrompt();
    });
}

qint32 frmOptions::selectedPropertyId() const
{
    if (const std::optional<qint32> id = SortedLists::shownEntry(cbProperty))
        return *id;
    throw RuntimeError(ErrorNumber::InvalidPropertyArrayIndex, QStringLiteral("Invalid property array index"));
}

// Reads the rows of the shared result set into the two emptied lists: the
// visible ones into the first, the hidden ones into the second.
void frmOptions::fillListsFromRecordset(int flagColumn)
{
    SortedLists::Batch visible;
    SortedLists::Batch hidden;
    const QString table =
        flagColumn == Schema::PropertyColumn::propDF ? QStringLiteral("tbProperty") : QStringLiteral("tbUnits");
    const auto listOf = [&](Recordset& rows) -> SortedLists::Batch* {
        const QVariant flag = rows.Fields(flagColumn).Value();
        return flagIs(flag, VisibleFlag) ? &visible : flagIs(flag, HiddenFlag) ? &hidden : nullptr;
    };
    SortedLists::fillFromRows(modMain::dbRecordset, table, listOf, [&] {
        lst1->entries()->insertSorted(std::move(visible));
        lst2->entries()->insertSorted(std::move(hidden));
    });
}

void frmOptions::cbProperty_Click()
{
    lst1->clear();
    lst2->clear();
    if (!rbutUnit->isChecked())
        return;
    try {
        modMain::CurrentPropID = QString::number(selectedPropertyId());
        ResolveUnitProperty();
        modMain::OpenRecordset(QStringLiteral("Select * from tbUnits where PropID = ?"), {modMain::CurrentPropID},
                               {Schema::UnitColumn::UID, Schema::UnitColumn::uname, Schema::UnitColumn::df});
        fillListsFromRecordset(Schema::UnitColumn::df);
        modMain::dbRecordset.Close();
    } catch (const std::exception&) {
        MessageBox::show(this, NoUnitMessage, MsgStyle::OkOnly);
    }
}

void frmOptions::rbutProperty_Click()
{
    runGuarded(this, [&] {
        ItemKind = Kind::Property;
        lst1->clear();
        lst2->clear();
        cbProperty->clear();
        cbProperty->setVisible(false);
        modMain::OpenRecordset(QStringLiteral("Select * from tbProperty"));
        lst1->clear();
        lst2->clear();
        Recordset& rs = modMain::dbRecordset;
        // An empty table has no first row to move to: the lists just stay empty.
        if (!rs.Eof())
            rs.MoveFirst();
        fillListsFromRecordset(Schema::PropertyColumn::propDF);
        rs.Close();
    });
}

void frmOptions::cmdCancel_Click()
{
    unload();
}

void frmOptions::cmdHelp_Click()
{
    // The options window has a failure text of its own, spelled so.
    emit helpRequested(QStringLiteral("\\TSHelp.htm#e"), QStringLiteral("There Was An Error Opning the Help File."));
}

void frmOptions::cmdHideSel_Click()
{
    runMove(0);
}

void frmOptions::cmdShowSel_Click()
{
    runMove(1);
}

void frmOptions::cmdHideAll_Click()
{
    runMove(2);
}

void frmOptions::cmdShowAll_Click()
{
    runMove(3);
}

void frmOptions::runMove(quint8 code)
{
    runGuarded(this, [&] {
        MoveCode = code;
        ApplyMove();
    });
}

// Hides the selected visible entries and shows the selected hidden ones ("=>"
// and "<=" first select their whole source list), one row at a time, then fills
// the lists again from the catalogue. Both passes read the lists as they were
// before the press.
void frmOptions::ApplyMove()
{
    MoveFailures failures;
    {
        // Thousands of rows may change: the file is looked at once for them
        // all, and the log folded into it once they are written.
        const Connection::Action action(modMain::dbConnection);
        if (writePass(lst1, MoveCode == 2, true, failures))
            writePass(lst2, MoveCode == 3, false, failures);
    }
    reportFailures(failures);
    if (ItemKind == Kind::Unit)
        cbProperty_Click();
    else
        rbutProperty_Click();
}

// Writes the flag of every selected entry of `list`, in list order. An entry
// whose row has gone is noted and skipped; any other failure stops the move,
// since the rows after it would meet the same refusal. Returns false when the
// move stopped.
bool frmOptions::writePass(SortedLists::ListView* list, bool takeAll, bool hide, MoveFailures& failures)
{
    if (takeAll)
        list->selectAll();
    // Asking each entry for its selection costs a search through the whole
    // selection, so the selected rows are read once.
    const int count = list->count();
    std::vector<bool> selected(count, false);
    for (const QModelIndex& index : list->selectionModel()->selectedIndexes())
        selected[index.row()] = true;

    const QString verb = hide ? QStringLiteral("hide") : QStringLiteral("show");
    for (int i = 0; i < count; ++i) {
        if (!selected[i])
            continue;
        const QString name = list->text(i);
        try {
            if (!writeFlag(list->itemData(i), hide))
                failures.missing
                    << QStringLiteral("Could not %1 \"%2\": it is no longer in the catalogue.").arg(verb, name);
        } catch (const RuntimeError& error) {
            failures.refused = QStringLiteral("Could not %1 \"%2\": %3").arg(verb, name, error.description());
            return false;
        }
    }
    return true;
}

// One lookup and one update of the entry's row. Returns false when no row has
// that identifier any more; throws when the lookup or the update fails.
bool frmOptions::writeFlag(qint32 id, bool hide)
{
    const bool property = ItemKind == Kind::Property;
    const int flagColumn = property ? Schema::PropertyColumn::propDF : Schema::UnitColumn::df;
    // The lookup reads the flag alone: the row is only written.
    modMain::OpenRecordset(property ? QStringLiteral("select * from tbProperty where PropID = ?")
                                    : QStringLiteral("select * from tbUnits where UID = ?"),
                           {QString::number(id)}, {flagColumn});
    Recordset& rs = modMain::dbRecordset;
    if (rs.Eof())
        return false;
    rs.Fields(flagColumn).setValue(hide ? HiddenFlag : VisibleFlag);
    rs.Update();
    return true;
}

void frmOptions::reportFailures(const MoveFailures& failures)
{
    if (failures.missing.isEmpty() && failures.refused.isEmpty())
        return;
    QStringList lines = failures.missing.mid(0, MaxListedFailures);
    if (failures.missing.size() > MaxListedFailures)
        lines << QStringLiteral("... and %1 more item(s) no longer in the catalogue.")
                     .arg(failures.missing.size() - MaxListedFailures);
    if (!failures.refused.isEmpty())
        lines << failures.refused
              << QStringLiteral("The move stopped there; the items changed before it keep their new place.");
    MessageBox::show(this, lines.join(QLatin1Char('\n')), MsgStyle::Critical, BoxTitle);
}
