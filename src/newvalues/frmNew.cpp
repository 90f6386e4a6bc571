#include "frmNew.h"

#include "data/RuntimeError.h"
#include "data/Schema.h"
#include "data/modMain.h"
#include "engine/AddValues.h"
#include "engine/ConversionEngine.h"
#include "engine/NumberText.h"
#include "kit/FormLayout.h"
#include "kit/MessageBox.h"
#include "kit/SortedLists.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>
#include <limits>
#include <utility>

using FormLayout::designFont;
using FormLayout::makeFrame;
using FormLayout::place;

namespace {

const QString PropertyPlaceholder = QStringLiteral("Select a Property");
const QString BaseUnitPlaceholder = QStringLiteral("Select Base Unit");

// The application's own font, fixed so that it is not taken from the frame.
QFont systemFont()
{
    QFont font = QApplication::font();
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

void keepTextColour(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
    widget->setPalette(palette);
}

QLabel* makeLabel(QGroupBox* frame, const char* name, const QString& caption, int top)
{
    auto* label = new QLabel(caption, frame);
    label->setObjectName(QLatin1String(name));
    label->setFont(designFont(QStringLiteral("Tahoma"), 8.25, true));
    keepTextColour(label);
    place(label, 150, top, 1335, 285);
    return label;
}

QLineEdit* makeTextBox(QGroupBox* frame, const char* name, int top)
{
    auto* box = new QLineEdit(frame);
    box->setObjectName(QLatin1String(name));
    box->setFont(designFont(QStringLiteral("Tahoma"), 8.25, false));
    place(box, 1560, top, 5115, 315);
    return box;
}

QComboBox* makeCombo(QGroupBox* frame, const char* name, int top)
{
    auto* combo = new QComboBox(frame);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    // Typed text never becomes an entry: the lists hold catalogue rows only.
    combo->setInsertPolicy(QComboBox::NoInsert);
    SortedLists::useSortedModel(combo);
    combo->setFont(systemFont());
    keepTextColour(combo);
    place(combo, 1560, top, 5145, 315);
    return combo;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int top)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFont(designFont(QStringLiteral("Tahoma"), 9.75, true));
    FormLayout::setFace(button, QColor(192, 192, 192));
    place(button, 9900, top, 1245, 345);
    return button;
}

QRadioButton* makeOption(QGroupBox* frame, const char* name, const QString& caption, int top, int width)
{
    auto* option = new QRadioButton(caption, frame);
    option->setObjectName(QLatin1String(name));
    option->setFont(designFont(QStringLiteral("Tahoma"), 12, true));
    keepTextColour(option);
    place(option, 240, top, width, 315);
    return option;
}

// Shows `text` in the combo's edit field with no entry selected.
void showEditText(QComboBox* combo, const QString& text)
{
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

} // namespace

frmNew::frmNew(QWidget* parent) : ChildForm(parent)
{
    setObjectName(QStringLiteral("frmNew"));
    setWindowTitle(QStringLiteral("New Values - Quantaro"));
    createControls();
    setFixedSize(FormLayout::layOut(this, 11340, 2265));
    orderTabs();
    connectHandlers();
    // Focus given to the window goes to the first control of the tab order.
    setFocusProxy(rdBtn_1);
}

void frmNew::createControls()
{
    Frame1 = makeFrame(this, "Frame1", QStringLiteral("Select Item"));
    place(Frame1, 240, 120, 2595, 1995);
    rdBtn_1 = makeOption(Frame1, "rdBtn_1", QStringLiteral("Property"), 570, 1425);
    rdBtn_2 = makeOption(Frame1, "rdBtn_2", QStringLiteral("Unit"), 1110, 855);

    Frame2 = makeFrame(this, "Frame2", QStringLiteral("Values"));
    place(Frame2, 2940, 120, 6765, 1995);
    l1 = makeLabel(Frame2, "l1", QStringLiteral("Factor"), 270);
    cbProperty = makeCombo(Frame2, "cbProperty", 240);
    l2 = makeLabel(Frame2, "l2", QStringLiteral("Property Name"), 680);
    txtValue = makeTextBox(Frame2, "txtValue", 650);
    l3 = makeLabel(Frame2, "l3", QStringLiteral("Factor"), 1090);
    txtUnitValue = makeTextBox(Frame2, "txtUnitValue", 1060);
    l4 = makeLabel(Frame2, "l4", QStringLiteral("Base Unit"), 1500);
    cbUnit = makeCombo(Frame2, "cbUnit", 1470);
    l1->setBuddy(cbProperty);
    l2->setBuddy(txtValue);
    l3->setBuddy(txtUnitValue);
    l4->setBuddy(cbUnit);

    cmdCalc = makeButton(this, "cmdCalc", QStringLiteral("&Add"), 210);
    cmdClear = makeButton(this, "cmdClear", QStringLiteral("Clea&r"), 600);
    cmdExit = makeButton(this, "cmdExit", QStringLiteral("&Done"), 990);
    cmdHelp_0 = FormLayout::makeHelpButton(this, 40, 10110, 1380);
    cmdHelp_0->setFont(designFont(QStringLiteral("Verdana"), 9.75, true));
    FormLayout::setFace(cmdHelp_0, QColor(192, 192, 192));
}

void frmNew::orderTabs()
{
    FormLayout::orderTabs(
        {rdBtn_1, rdBtn_2, cbProperty, txtValue, txtUnitValue, cbUnit, cmdCalc, cmdClear, cmdExit, cmdHelp_0});
}

void frmNew::connectHandlers()
{
    connect(rdBtn_1, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            rdBtn_Click(1);
    });
    connect(rdBtn_2, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            rdBtn_Click(2);
    });
    connect(cbProperty, &QComboBox::activated, this, &frmNew::cbProperty_Click);
    connect(cmdCalc, &QPushButton::clicked, this, &frmNew::cmdCalc_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmNew::cmdClear_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmNew::cmdExit_Click);
    connect(cmdHelp_0, &QPushButton::clicked, this, [this] { cmdHelp_Click(0); });
}

void frmNew::Form_Load()
{
    moveLeftInArea(5);
    const QList<QWidget*> hidden{cbUnit, txtUnitValue, l1, l3, l4, cbProperty};
    for (QWidget* widget : hidden)
        widget->hide();
    rdBtn_1->setChecked(true);
}

void frmNew::rdBtn_Click(int Index)
{
    cmdClear_Click();
    if (Index == 2)
        showUnitMode();
    else if (Index == 1)
        showPropertyMode();
    // The rows' captions changed: their boxes are announced by the new ones.
    nameControlsAfterLabels();
}

void frmNew::showUnitMode()
{
    l2->setText(QStringLiteral("Unit Name"));
    cbUnit->show();
    txtUnitValue->show();
    l3->show();
    l4->show();
    l1->show();
    l3->setText(QStringLiteral("Factor"));
    l1->setText(QStringLiteral("Property"));
    cbProperty->show();
    MessageBox::show(this, QStringLiteral("Select a Property from the list Below"), MsgStyle::Information, BoxTitle);
    runGuarded(this, [this] { fillPropertyList(); });
    showEditText(cbUnit, BaseUnitPlaceholder);
    showEditText(cbProperty, PropertyPlaceholder);
}

// Every property is offered, hidden ones too: a unit may be added to any of them.
void frmNew::fillPropertyList()
{
    modMain::OpenRecordset(QStringLiteral("select * from tbProperty order by PropID"));
    cbProperty->clear();
    Recordset& rows = modMain::dbRecordset;
    if (rows.Eof())
        return;
    rows.MoveFirst();
    SortedLists::Batch properties;
    SortedLists::fillFromRows(rows, QStringLiteral("tbProperty"), SortedLists::everyRow(properties),
                              [&] { SortedLists::insertSorted(cbProperty, std::move(properties)); });
}

void frmNew::showPropertyMode()
{
    l2->setText(QStringLiteral("Property Name"));
    cbUnit->hide();
    txtUnitValue->show();
    l1->hide();
    l3->show();
    l3->setText(QStringLiteral("Base Unit"));
    l4->hide();
    l4->setText(QStringLiteral("Base Unit"));
    cbProperty->hide();
}

void frmNew::cbProperty_Click()
{
    try {
        cbUnit->clear();
        showEditText(cbUnit, QString());
        const int chosen = cbProperty->currentIndex();
        if (chosen < 0)
            throw RuntimeError(ErrorNumber::InvalidUseOfNull, QStringLiteral("Invalid use of Null"));
        modMain::CurrentPropID = QString::number(SortedLists::itemData(cbProperty, chosen));
        ResolveUnitProperty();
        modMain::OpenRecordset(QStringLiteral("select * from tbUnits where PropID = ? and df = '0' "),
                               {modMain::CurrentPropID}, {Schema::UnitColumn::UID, Schema::UnitColumn::uname});
        Recordset& rows = modMain::dbRecordset;
        rows.MoveFirst();
        SortedLists::Batch units;
        SortedLists::fillFromRows(rows, QStringLiteral("tbUnits"), SortedLists::everyRow(units),
                                  [&] { SortedLists::insertSorted(cbUnit, std::move(units)); });
        showEditText(cbUnit, BaseUnitPlaceholder);
    } catch (const RuntimeError&) {
        showEditText(cbUnit, QString());
        MessageBox::show(this, NoUnitMessage, MsgStyle::OkOnly);
    }
}

void frmNew::cmdClear_Click()
{
    showEditText(cbProperty, PropertyPlaceholder);
    txtUnitValue->clear();
    txtValue->clear();
    showEditText(cbUnit, BaseUnitPlaceholder);
}

void frmNew::cmdExit_Click()
{
    unload();
}

void frmNew::cmdHelp_Click(int Index)
{
    Q_UNUSED(Index);
    emit helpRequested(QStringLiteral("\\TSHelp.htm#f"), HelpFailureMessage);
}

void frmNew::cmdCalc_Click()
{
    runGuarded(this, [this] {
        // A name the catalogue cannot give back as typed is refused like a blank one.
        if (txtValue->text().trimmed().isEmpty() || !modMain::storesExactly(txtValue->text())) {
            refuse(QStringLiteral("Invalid Input"), txtValue);
            return;
        }
        bool added = true;
        try {
            if (rdBtn_1->isChecked())
                added = addProperty();
            else if (rdBtn_2->isChecked())
                added = addUnit();
        } catch (const RuntimeError& error) {
            reportFailedWrite(error.description());
            return;
        }
        if (added)
            resetAfterAdd();
    });
}

bool frmNew::addProperty()
{
    const QString name = txtValue->text();
    const QString baseUnit = txtUnitValue->text();
    if (baseUnit.trimmed().isEmpty() || !modMain::storesExactly(baseUnit)) {
        refuse(QStringLiteral("Invalid Base Unit"), txtUnitValue);
        return false;
    }
    if (AddValues::propertyNameTaken(name)) {
        refuse(QStringLiteral("Property name already exsists"), txtValue);
        return false;
    }
    AddValues::addProperty(name, baseUnit);
    return true;
}

bool frmNew::addUnit()
{
    const QString baseText = cbUnit->currentText();
    if (baseText == BaseUnitPlaceholder || baseText.trimmed().isEmpty() || !SortedLists::shownEntry(cbUnit)) {
        refuse(QStringLiteral("Base Unit Not Selected"), cbUnit);
        return false;
    }
    double factor = 0;
    if (!checkFactor(factor))
        return false;
    // The base-unit list stays filled after an add or an edit of the property
    // box; without a chosen property the new unit would have no owner.
    const std::optional<qint32> property = SortedLists::shownEntry(cbProperty);
    if (!property) {
        refuse(QStringLiteral("Property Not Selected"), cbProperty);
        return false;
    }

    const QString name = txtValue->text();
    modMain::CurrentPropID = QString::number(*property);
    ResolveUnitProperty();
    const QString propId = modMain::CurrentPropID;
    if (AddValues::unitNameTaken(name, propId)) {
        refuse(QStringLiteral("Unit already exsists for this Property"), txtValue);
        return false;
    }
    AddValues::addUnit(name, factor, propId);
    return true;
}

// The new unit's factor: the chosen base unit's factor divided by the typed
// number of base units in one new unit. Only a positive factor that single
// precision holds without rounding to zero is taken, so every factor in a
// catalogue stays within the range catalogues have always kept.
bool frmNew::checkFactor(double& factor)
{
    const QString text = txtUnitValue->text();
    double typed = 0;
    bool valid = !text.trimmed().isEmpty() && NumberText::IsNumeric(text);
    if (valid) {
        try {
            typed = NumberText::parseDouble(text);
        } catch (const RuntimeError&) {
            valid = false;
        }
    }
    if (valid && std::isfinite(typed) && typed > 0) {
        factor = AddValues::unitFactor(SortedLists::itemData(cbUnit, cbUnit->currentIndex())) / typed;
        if (std::isfinite(factor) && factor > 0 && factor <= std::numeric_limits<float>::max() &&
            static_cast<float>(factor) > 0.0f)
            return true;
    }
    refuse(QStringLiteral("Invalid Factor"), txtUnitValue);
    return false;
}

void frmNew::refuse(const QString& message, QWidget* field)
{
    MessageBox::show(this, message, MsgStyle::Exclamation, BoxTitle);
    field->setFocus();
}

void frmNew::reportFailedWrite(const QString& reason)
{
    MessageBox::show(this, QStringLiteral("The new values could not be stored; nothing was changed.\n\n%1").arg(reason),
                     MsgStyle::Critical, BoxTitle);
}

void frmNew::resetAfterAdd()
{
    txtValue->clear();
    cmdClear_Click();
}
