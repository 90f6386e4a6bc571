#pragma once

#include "kit/ChildForm.h"

#include <QStringList>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace SortedLists {
class ListView;
}

// The options window: shows the properties, or the units of one property, in a
// visible and a hidden list, and moves entries between them by writing each
// row's visibility flag to the catalogue at once.
class frmOptions : public ChildForm
{
    Q_OBJECT

public:
    enum class Kind { Unit, Property };

    explicit frmOptions(QWidget* parent = nullptr);

    void Form_Activate() override;

    // Which kind of item the lists show, and the button that asked for the last move.
    Kind itemKind() const { return ItemKind; }
    quint8 moveCode() const { return MoveCode; }

public slots:
    void rbutUnit_Click();
    void rbutProperty_Click();
    void cbProperty_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    void cmdHideSel_Click();
    void cmdShowSel_Click();
    void cmdHideAll_Click();
    void cmdShowAll_Click();

private:
    // What went wrong during one move, reported in a single box at its end.
    struct MoveFailures
    {
        QStringList missing;
        QString refused;
    };

    void createControls();
    void arrangeTabOrder();
    void connectHandlers();
    void showPropertyPrompt();
    qint32 selectedPropertyId() const;
    void fillListsFromRecordset(int flagColumn);

    void runMove(quint8 code);
    void ApplyMove();
    bool writePass(SortedLists::ListView* list, bool takeAll, bool hide, MoveFailures& failures);
    bool writeFlag(qint32 id, bool hide);
    void reportFailures(const MoveFailures& failures);

    Kind ItemKind = Kind::Unit;
    quint8 MoveCode = 0;

    QGroupBox* Frame1 = nullptr;
    QRadioButton* rbutProperty = nullptr;
    QRadioButton* rbutUnit = nullptr;
    QGroupBox* Frame2 = nullptr;
    QComboBox* cbProperty = nullptr;
    QFrame* Line1 = nullptr;
    QLabel* lbloutput_0 = nullptr;
    QLabel* lbloutput_1 = nullptr;
    SortedLists::ListView* lst1 = nullptr;
    SortedLists::ListView* lst2 = nullptr;
    QPushButton* cmdHideSel = nullptr;
    QPushButton* cmdShowSel = nullptr;
    QPushButton* cmdHideAll = nullptr;
    QPushButton* cmdShowAll = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp_0 = nullptr;
    QFrame* Line2 = nullptr;
};
