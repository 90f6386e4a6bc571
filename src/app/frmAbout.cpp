#include "frmAbout.h"

#include "kit/FormLayout.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

const QString frmAbout::WebAddress = QStringLiteral("www.veltrin-tech.example");
const QString frmAbout::SupportAddress = QStringLiteral("support@veltrin-tech.example");
const QString frmAbout::LegalNotice =
    QStringLiteral("Copyright \u00a9 2026 Veltrin Technologies. All rights reserved.");

namespace {

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int top, int height, int pointSize, bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(FormLayout::designFont(QStringLiteral("Tahoma"), pointSize, bold));
    FormLayout::place(label, 240, top, 5520, height);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : ChildForm(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quantaro"));

    addLabel(this, "lblTitle", QStringLiteral("Quantaro v 1.0"), 180, 555, 18, true);
    addLabel(this, "lblLegal", LegalNotice, 840, 285, 8, false);
    addLabel(this, "lblMaker", QStringLiteral("Developed by Veltrin Technologies"), 1200, 285, 9, true);
    addLabel(this, "lblWeb", WebAddress, 1560, 285, 9, false);
    addLabel(this, "lblSupport", SupportAddress, 1920, 285, 9, false);

    auto* separator = new QFrame(this);
    separator->setObjectName(QStringLiteral("Line1"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    FormLayout::place(separator, 120, 2460, 5760, 30);

    Command1 = new QPushButton(QStringLiteral("&Ok"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    FormLayout::place(Command1, 4560, 2760, 1200, 495);
    Command1->setDefault(true);
    setFixedSize(FormLayout::layOut(this, 6000, 3600));
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    setFocusProxy(Command1);
}

void frmAbout::Command1_Click()
{
    unload();
}
