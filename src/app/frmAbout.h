#pragma once

#include "kit/ChildForm.h"

class QPushButton;

// The About box: who made the program and how to reach them.
class frmAbout : public ChildForm
{
    Q_OBJECT

public:
    static const QString WebAddress;
    static const QString SupportAddress;
    static const QString LegalNotice;

    explicit frmAbout(QWidget* parent = nullptr);

public slots:
    void Command1_Click();

private:
    QPushButton* Command1;
};
