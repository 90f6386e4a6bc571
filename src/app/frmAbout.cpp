#include "frmAbout.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

const QString frmAbout::WebAddress = QStringLiteral("www.veltrin-tech.example");
const QString frmAbout::SupportAddress = QStringLiteral("support@veltrin-tech.example");
const QString frmAbout::LegalNotice =
    QStringLiteral("Copyright \u00a9 2026 Veltrin Technologies. All rights reserved.");

namespace {

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int top, int height, int pointSize,
                 bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    label->setFont(font);
    label->setGeometry(ChildForm::px(240), ChildForm::px(top), ChildForm::px(5520), ChildForm::px(height));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : ChildForm(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quantaro"));
    setFixedSize(px(6000), px(3600));

    addLabel(this, "lblTitle", QStringLiteral("Quantaro v 1.0"), 180, 555, 18, true);
    addLabel(this, "lblLegal", LegalNotice, 840, 285, 8, false);
    addLabel(this, "lblMaker", QStringLiteral("Developed by Veltrin Technologies"), 1200, 285, 9, true);
    addLabel(this, "lblWeb", WebAddress, 1560, 285, 9, false);
    addLabel(this, "lblSupport", SupportAddress, 1920, 285, 9, false);

    auto* separator = new QFrame(this);
    separator->setObjectName(QStringLiteral("Line1"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(px(120), px(2460), px(5760), px(30));

    Command1 = new QPushButton(QStringLiteral("&Ok"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(px(4560), px(2760), px(1200), px(495));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    setFocusProxy(Command1);
}

void frmAbout::Command1_Click()
{
    unload();
}
