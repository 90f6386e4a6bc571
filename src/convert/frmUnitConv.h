#pragma once

#include "kit/ChildForm.h"

#include <QPersistentModelIndex>

class QAbstractItemView;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace SortedLists {
class ListView;
class Model;
} // namespace SortedLists

// The converter window: pick a property, type a value, pick the unit to convert
// from and the unit to convert to, and read the result.
class frmUnitConv : public ChildForm
{
    Q_OBJECT

public:
    explicit frmUnitConv(QWidget* parent = nullptr);

    void Form_Load() override;
    void Form_Activate() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void cbProperty_Click();
    void lstUnitFrm_Click();
    void lstUnitTo_Click();
    void cmdSwap_Click();
    void cmdClear_Click();
    void cmdCancel_Click();
    void Command2_Click();
    void Command3_Click();
    void cmdHelp_Click();

signals:
    // The converter's "&New Values" and "&Options" ask the main window for those windows.
    void newValuesRequested();
    void optionsRequested();

private:
    // What the mouse is doing in one unit list: a press, and whether the
    // selection changed since, decide whether its release is a click.
    struct MouseInList
    {
        bool pressed = false;
        bool doubled = false;
        bool selectionChanged = false;
        QPersistentModelIndex pressedEntry;
    };

    void createControls();
    void orderTabs();
    void connectHandlers();

    void fillProperties();
    void clearUnitLists();
    void fillUnits();
    void showPropertyPrompt();
    // The three checks every conversion and Swap make first; false after a warning.
    bool inputsReady();
    qint32 selectedPropertyId() const;
    void ConvertValue();
    void unitSelectionChanged(const SortedLists::ListView* list, MouseInList& mouse, void (frmUnitConv::*click)());
    // Runs a list's click handler now, dropping a conversion that waits for typing to pause.
    void clickNow(void (frmUnitConv::*click)());
    // Forgets a conversion that waits for typing to pause.
    void dropTypedClick();
    void watchMouse(QAbstractItemView* list, MouseInList& mouse, QEvent* event, void (frmUnitConv::*click)());

    QLabel* lbloutput_0 = nullptr;
    QLabel* lbloutput_1 = nullptr;
    QLabel* lbloutput_2 = nullptr;
    QLabel* lbloutput_3 = nullptr;
    QComboBox* cbProperty = nullptr;
    QLineEdit* txtInput = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* txtOutput = nullptr;
    // The two unit lists show one set of entries, each with its own selection.
    SortedLists::Model* units = nullptr;
    SortedLists::ListView* lstUnitFrm = nullptr;
    SortedLists::ListView* lstUnitTo = nullptr;
    QPushButton* cmdSwap = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp_0 = nullptr;
    MouseInList m_mouseFrm;
    MouseInList m_mouseTo;
    // A selection made by keys converts once typing pauses, so type-ahead
    // completes a name before the conversion, or its warning, runs.
    QTimer* m_typingPause = nullptr;
    void (frmUnitConv::*m_typedClick)() = nullptr;
};
