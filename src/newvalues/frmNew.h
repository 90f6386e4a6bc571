#pragma once

#include "kit/ChildForm.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The New Values window: adds a property of the user's own with its base unit
// (Property mode), or a unit of the user's own to an existing property (Unit
// mode). The same four input rows change caption and visibility with the mode.
class frmNew : public ChildForm
{
    Q_OBJECT

public:
    explicit frmNew(QWidget* parent = nullptr);

    void Form_Load() override;

public slots:
    void rdBtn_Click(int Index);
    void cbProperty_Click();
    void cmdCalc_Click();
    void cmdClear_Click();
    void cmdExit_Click();
    void cmdHelp_Click(int Index);

private:
    void createControls();
    void orderTabs();
    void connectHandlers();

    void showUnitMode();
    void showPropertyMode();
    void fillPropertyList();

    // The "&Add" bodies of the two modes; true when the addition was stored.
    bool addProperty();
    bool addUnit();
    bool checkFactor(double& factor);
    void refuse(const QString& message, QWidget* field);
    void reportFailedWrite(const QString& reason);
    void resetAfterAdd();

    QGroupBox* Frame1 = nullptr;
    QRadioButton* rdBtn_1 = nullptr;
    QRadioButton* rdBtn_2 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* l1 = nullptr;
    QComboBox* cbProperty = nullptr;
    QLabel* l2 = nullptr;
    QLineEdit* txtValue = nullptr;
    QLabel* l3 = nullptr;
    QLineEdit* txtUnitValue = nullptr;
    QLabel* l4 = nullptr;
    QComboBox* cbUnit = nullptr;
    QPushButton* cmdCalc = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdHelp_0 = nullptr;
};
