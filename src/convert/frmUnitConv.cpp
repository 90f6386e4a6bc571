#include "frmUnitConv.h"

#include "data/RuntimeError.h"
#include "data/Schema.h"
#include "data/modMain.h"
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
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

#include <utility>

using FormLayout::designFont;
using FormLayout::named;
using FormLayout::place;

namespace {

const QString PropertyPrompt = QStringLiteral("Select a Property");

// What the user reads when a conversion gives no number; an unusable factor
// is described with its unit, value and remedy.
QString failureMessage(const ConversionFailure& failure)
{
    switch (failure.reason()) {
    case ConversionFailure::Reason::ValueOutOfRange:
        return QStringLiteral("The value is too large to convert.");
    case ConversionFailure::Reason::ResultOutOfRange:
        return QStringLiteral("The result is too large to show.");
    case ConversionFailure::Reason::UnusableFactor:
        break;
    }
    return failure.description();
}

} // namespace

frmUnitConv::frmUnitConv(QWidget* parent) : ChildForm(parent)
{
    setObjectName(QStringLiteral("frmUnitConv"));
    setWindowTitle(QStringLiteral("Quantaro - Veltrin Technologies"));
    createControls();
    setFixedSize(FormLayout::layOut(this, 11940, 6885));
    orderTabs();
    connectHandlers();
}

void frmUnitConv::createControls()
{
    const QFont labelFont = designFont(QStringLiteral("Trebuchet MS"), 11.25, true);
    const QFont textFont = designFont(QStringLiteral("Arial"), 11.25, false);
    const QFont buttonFont = designFont(QStringLiteral("Tahoma"), 9.75, true);

    const auto label = [&](const QString& name, const QString& caption, QWidget* buddy) {
        auto* widget = named(new QLabel(caption, this), name);
        widget->setFont(labelFont);
        widget->setBuddy(buddy);
        return widget;
    };
    const auto button = [&](const QString& name, const QString& caption) {
        auto* widget = named(new QPushButton(caption, this), name);
        widget->setFont(buttonFont);
        return widget;
    };

    cbProperty = named(new QComboBox(this), QStringLiteral("cbProperty"));
    cbProperty->setEditable(true);
    // A plain drop-down combo: typing neither adds entries nor completes names.
    cbProperty->setInsertPolicy(QComboBox::NoInsert);
    cbProperty->setCompleter(nullptr);
    SortedLists::useSortedModel(cbProperty);
    place(cbProperty, 1140, 210, 4125, 315);
    lbloutput_2 = label(QStringLiteral("lbloutput_2"), QStringLiteral("Property"), cbProperty);
    place(lbloutput_2, 120, 210, 975, 285);

    txtInput = named(new QLineEdit(this), QStringLiteral("txtInput"));
    txtInput->setFont(textFont);
    place(txtInput, 1140, 570, 4125, 375);
    lbloutput_3 = label(QStringLiteral("lbloutput_3"), QStringLiteral("Value"), txtInput);
    place(lbloutput_3, 120, 600, 975, 285);

    Frame1 = named(new QGroupBox(QStringLiteral("Output"), this), QStringLiteral("Frame1"));
    Frame1->setFont(designFont(QStringLiteral("Tahoma"), 8.25, true));
    place(Frame1, 6600, 270, 5205, 765);
    txtOutput = named(new QLineEdit(Frame1), QStringLiteral("txtOutput"));
    txtOutput->setFont(textFont);
    txtOutput->setAccessibleName(QStringLiteral("Output"));
    place(txtOutput, 90, 270, 5025, 375);

    units = new SortedLists::Model(this);
    lstUnitFrm = named(new SortedLists::ListView(this, units), QStringLiteral("lstUnitFrm"));
    place(lstUnitFrm, 60, 1410, 5235, 4545);
    lbloutput_0 = label(QStringLiteral("lbloutput_0"), QStringLiteral("Unit From"), lstUnitFrm);
    place(lbloutput_0, 90, 1110, 1305, 285);

    lstUnitTo = named(new SortedLists::ListView(this, units), QStringLiteral("lstUnitTo"));
    place(lstUnitTo, 6630, 1410, 5235, 4545);
    lbloutput_1 = label(QStringLiteral("lbloutput_1"), QStringLiteral("Unit To"), lstUnitTo);
    place(lbloutput_1, 6630, 1110, 1305, 285);

    cmdSwap = button(QStringLiteral("cmdSwap"), QStringLiteral("&Swap"));
    cmdSwap->setIcon(FormLayout::buttonIcon(QStringLiteral("swap")));
    cmdSwap->setIconSize(FormLayout::scaledIcon(16));
    place(cmdSwap, 5340, 1620, 1275, 585);
    cmdClear = button(QStringLiteral("cmdClear"), QStringLiteral("Clea&r"));
    place(cmdClear, 5340, 2250, 1275, 585);
    Command3 = button(QStringLiteral("Command3"), QStringLiteral("&New Values"));
    place(Command3, 5340, 2880, 1275, 585);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("&Options"));
    place(Command2, 5340, 3510, 1275, 585);
    cmdCancel = button(QStringLiteral("cmdCancel"), QStringLiteral("&Done"));
    place(cmdCancel, 5340, 4140, 1275, 585);

    cmdHelp_0 = FormLayout::makeHelpButton(this, 32, 5580, 4965);
    cmdHelp_0->setFont(buttonFont);
    // The light grey face belongs to a light window; on a dark one the button keeps the palette's face.
    if (FormLayout::isLight(palette().color(QPalette::Window)))
        FormLayout::setFace(cmdHelp_0, QColor(0xE0, 0xE0, 0xE0));

    for (SortedLists::ListView* list : {lstUnitFrm, lstUnitTo})
        list->setSelectionMode(QAbstractItemView::SingleSelection);
}

void frmUnitConv::orderTabs()
{
    FormLayout::orderTabs({cbProperty, txtInput, lstUnitFrm, lstUnitTo, cmdSwap, cmdClear, cmdCancel, cmdHelp_0,
                           txtOutput, Command2, Command3});
}

void frmUnitConv::connectHandlers()
{
    connect(cbProperty, &QComboBox::activated, this, &frmUnitConv::cbProperty_Click);
    // Selections made by the program (as in Swap) convert too, so the
    // selection itself is watched; a mouse click converts when it ends, also
    // on the entry that is already selected.
    connect(lstUnitFrm, &SortedLists::ListView::itemSelectionChanged, this,
            [this] { unitSelectionChanged(lstUnitFrm, m_mouseFrm, &frmUnitConv::lstUnitFrm_Click); });
    connect(lstUnitTo, &SortedLists::ListView::itemSelectionChanged, this,
            [this] { unitSelectionChanged(lstUnitTo, m_mouseTo, &frmUnitConv::lstUnitTo_Click); });
    m_typingPause = new QTimer(this);
    m_typingPause->setSingleShot(true);
    m_typingPause->setInterval(QApplication::keyboardInputInterval());
    connect(m_typingPause, &QTimer::timeout, this, [this] {
        if (m_typedClick)
            clickNow(std::exchange(m_typedClick, nullptr));
    });
    lstUnitFrm->viewport()->installEventFilter(this);
    lstUnitTo->viewport()->installEventFilter(this);
    connect(cmdSwap, &QPushButton::clicked, this, &frmUnitConv::cmdSwap_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmUnitConv::cmdClear_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmUnitConv::cmdCancel_Click);
    connect(Command2, &QPushButton::clicked, this, &frmUnitConv::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmUnitConv::Command3_Click);
    connect(cmdHelp_0, &QPushButton::clicked, this, &frmUnitConv::cmdHelp_Click);
}

void frmUnitConv::Form_Load()
{
    cbProperty->clear();
    runGuarded(this, [this] { fillProperties(); });
    showPropertyPrompt();
}

void frmUnitConv::fillProperties()
{
    modMain::OpenRecordset(QStringLiteral("select * from tbProperty"));
    SortedLists::Batch properties;
    SortedLists::fillFromRows(modMain::dbRecordset, QStringLiteral("tbProperty"),
                              SortedLists::visibleRows(Schema::PropertyColumn::propDF, properties),
                              [&] { SortedLists::insertSorted(cbProperty, std::move(properties)); });
}

void frmUnitConv::showPropertyPrompt()
{
    // The prompt is no entry: clear the selection first, since setting the
    // edit text alone keeps the current entry.
    cbProperty->setCurrentIndex(-1);
    cbProperty->setEditText(PropertyPrompt);
}

void frmUnitConv::Form_Activate()
{
    moveInArea(5, 5);
}

void frmUnitConv::clearUnitLists()
{
    // Both lists show these entries; emptying them drops both selections
    // without a selection event, so nothing converts, not even a selection
    // typed a moment before that waits for typing to pause.
    dropTypedClick();
    units->clear();
}

void frmUnitConv::cbProperty_Click()
{
    clearUnitLists();
    try {
        fillUnits();
    } catch (const std::exception&) {
        MessageBox::show(this, NoUnitMessage, MsgStyle::OkOnly);
    }
}

void frmUnitConv::fillUnits()
{
    modMain::CurrentPropID = QString::number(selectedPropertyId());
    ResolveUnitProperty();
    // The identifier, the name and the flag are all a fill reads.
    modMain::OpenRecordset(QStringLiteral("select * from tbUnits where PropID = ?"), {modMain::CurrentPropID},
                           {Schema::UnitColumn::UID, Schema::UnitColumn::uname, Schema::UnitColumn::df});
    SortedLists::Batch visible;
    // Both lists show the entries of the one model.
    SortedLists::fillFromRows(modMain::dbRecordset, QStringLiteral("tbUnits"),
                              SortedLists::visibleRows(Schema::UnitColumn::df, visible),
                              [&] { units->insertSorted(std::move(visible)); });
}

qint32 frmUnitConv::selectedPropertyId() const
{
    if (const std::optional<qint32> id = SortedLists::shownEntry(cbProperty))
        return *id;
    throw RuntimeError(ErrorNumber::InvalidPropertyArrayIndex,
                       QStringLiteral("The property box shows \"%1\", which is no property of its list, so "
                                      "Quantaro does not know what to convert. Pick a property from the list, "
                                      "then select the units again.")
                           .arg(cbProperty->currentText()));
}

void frmUnitConv::unitSelectionChanged(const SortedLists::ListView* list, MouseInList& mouse,
                                       void (frmUnitConv::*click)())
{
    // While the button is down the click is not over yet: its release converts once.
    if (mouse.pressed) {
        mouse.selectionChanged = true;
        return;
    }
    if (list->selectingByKeys()) {
        m_typedClick = click;
        m_typingPause->start();
        return;
    }
    clickNow(click);
}

void frmUnitConv::clickNow(void (frmUnitConv::*click)())
{
    dropTypedClick();
    (this->*click)();
}

void frmUnitConv::dropTypedClick()
{
    m_typingPause->stop();
    m_typedClick = nullptr;
}

bool frmUnitConv::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstUnitFrm->viewport())
        watchMouse(lstUnitFrm, m_mouseFrm, event, &frmUnitConv::lstUnitFrm_Click);
    else if (watched == lstUnitTo->viewport())
        watchMouse(lstUnitTo, m_mouseTo, event, &frmUnitConv::lstUnitTo_Click);
    return ChildForm::eventFilter(watched, event);
}

// A click on an entry, selected or not, converts once when the button comes
// up; so does a press that moved the selection elsewhere before its release.
// The second click of a double click is no new choice.
void frmUnitConv::watchMouse(QAbstractItemView* list, MouseInList& mouse, QEvent* event, void (frmUnitConv::*click)())
{
    const auto* press = static_cast<const QMouseEvent*>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (press->button() != Qt::LeftButton)
            return;
        mouse.pressed = true;
        mouse.doubled = event->type() == QEvent::MouseButtonDblClick;
        mouse.pressedEntry = list->indexAt(press->position().toPoint());
        return;
    case QEvent::MouseButtonRelease: {
        if (press->button() != Qt::LeftButton || !mouse.pressed)
            return;
        mouse.pressed = false;
        const QModelIndex released = list->indexAt(press->position().toPoint());
        const bool clicked = released.isValid() && released == mouse.pressedEntry && !mouse.doubled;
        const bool changed = std::exchange(mouse.selectionChanged, false);
        if (clicked || changed)
            clickNow(click);
        return;
    }
    default:
        return;
    }
}

void frmUnitConv::lstUnitFrm_Click()
{
    runGuarded(this, [this] { ConvertValue(); });
}

void frmUnitConv::lstUnitTo_Click()
{
    runGuarded(this, [this] { ConvertValue(); });
}

bool frmUnitConv::inputsReady()
{
    const auto warn = [this](const QString& text) {
        MessageBox::show(this, text, MsgStyle::Exclamation, BoxTitle);
        return false;
    };
    if (!NumberText::IsNumeric(txtInput->text()))
        return warn(QStringLiteral("Invalid Input"));
    if (lstUnitFrm->selectedRow() < 0)
        return warn(QStringLiteral("Select Unit From"));
    if (lstUnitTo->selectedRow() < 0)
        return warn(QStringLiteral("Select Unit To"));
    return true;
}

void frmUnitConv::ConvertValue()
{
    if (!inputsReady())
        return;
    // Whatever stops the conversion now, no result of earlier choices may
    // stay beside the units selected.
    auto stale = qScopeGuard([this] { txtOutput->clear(); });
    const qint32 propId = selectedPropertyId();
    const int from = lstUnitFrm->selectedRow();
    const int to = lstUnitTo->selectedRow();
    try {
        if (IsTemperatureProperty(propId)) {
            if (const std::optional<QString> text =
                    ConvertTemperature(units->text(from), units->text(to), txtInput->text()))
                txtOutput->setText(*text);
        } else {
            txtOutput->setText(FactorResultText(txtInput->text(), units->itemData(from), units->itemData(to)));
        }
        stale.dismiss();
    } catch (const ConversionFailure& failure) {
        txtOutput->clear();
        MessageBox::show(this, failureMessage(failure), MsgStyle::Exclamation, BoxTitle);
    }
}

void frmUnitConv::cmdSwap_Click()
{
    dropTypedClick();
    runGuarded(this, [this] {
        if (!inputsReady())
            return;
        const int targetRow = lstUnitTo->selectedRow();
        // Each selection below converts on its own, as a click would.
        lstUnitTo->setCurrentRow(lstUnitFrm->selectedRow(), QItemSelectionModel::ClearAndSelect);
        lstUnitFrm->setCurrentRow(targetRow, QItemSelectionModel::ClearAndSelect);
        ConvertValue();
    });
}

void frmUnitConv::cmdClear_Click()
{
    clearUnitLists();
    showPropertyPrompt();
    txtInput->clear();
    txtOutput->clear();
}

void frmUnitConv::cmdCancel_Click()
{
    unload();
}

void frmUnitConv::Command2_Click()
{
    emit optionsRequested();
    unload();
}

void frmUnitConv::Command3_Click()
{
    emit newValuesRequested();
    unload();
}

void frmUnitConv::cmdHelp_Click()
{
    emit helpRequested(QStringLiteral("\\TSHelp.htm#b"), HelpFailureMessage);
}
