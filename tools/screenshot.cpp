// Draws the main window with the converter at work into a PNG, for the README:
//   screenshot <catalogue-file> <output.png> [--dark | --points N]
// --dark draws it in the Fusion style on a dark palette; --points N with a
// default font of N points, as a user who reads large text has it;
// QT_SCALE_FACTOR=2 in the environment draws it at double pixel density.
// The catalogue is only read.
#include "app/MDIMain.h"
#include "convert/frmUnitConv.h"
#include "data/modMain.h"
#include "kit/MessageBox.h"
#include "kit/SortedLists.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStyleFactory>

#include <cstdio>

namespace {

void selectText(SortedLists::ListView* list, const QString& text)
{
    const int found = list->findRow(text);
    if (found >= 0)
        list->setCurrentRow(found);
}

// A dark palette as a dark desktop theme gives it.
QPalette darkPalette()
{
    QPalette dark;
    const QColor light(235, 235, 235);
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, light);
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    dark.setColor(QPalette::Text, light);
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, light);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    return dark;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool dark = argc == 4 && QByteArray(argv[3]) == "--dark";
    const qreal points = argc == 5 && QByteArray(argv[3]) == "--points" ? QByteArray(argv[4]).toDouble() : 0.0;
    if (argc != 3 && !dark && points <= 0) {
        std::fprintf(stderr, "usage: screenshot <catalogue-file> <output.png> [--dark | --points N]\n");
        return 2;
    }
    if (dark) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
    }
    if (points > 0) {
        QFont font = QApplication::font();
        font.setPointSizeF(points);
        QApplication::setFont(font);
    }
    QLocale::setDefault(QLocale::c());
    MessageBox::setIntercepting(true);
    modMain::dbConnection.ConnectionString = QString::fromLocal8Bit(argv[1]);
    modMain::dbConnection.Open();

    MDIMain window;
    window.show();
    auto* converter = window.loadedChild<frmUnitConv>();
    auto* property = converter->findChild<QComboBox*>(QStringLiteral("cbProperty"));
    property->setCurrentIndex(property->findText(QStringLiteral("Length")));
    converter->cbProperty_Click();
    converter->findChild<QLineEdit*>(QStringLiteral("txtInput"))->setText(QStringLiteral("12"));
    // Picking the source unit alone would ask for the target unit; the picture shows both picked.
    auto* from = converter->findChild<SortedLists::ListView*>(QStringLiteral("lstUnitFrm"));
    {
        const QSignalBlocker quiet(from);
        selectText(from, QStringLiteral("Foot (international)"));
    }
    selectText(converter->findChild<SortedLists::ListView*>(QStringLiteral("lstUnitTo")), QStringLiteral("Metre"));
    QApplication::processEvents();
    const bool saved = window.grab().save(QString::fromLocal8Bit(argv[2]));
    for (const MessageBox::Record& record : MessageBox::records())
        std::fprintf(stderr, "screenshot: the program said: %s\n", qPrintable(record.text));
    return saved && MessageBox::records().isEmpty() ? 0 : 1;
}
