// Colours and pictures of every window on dark and light palettes and at
// double pixel density.
#include "app/MDIMain.h"
#include "app/frmAbout.h"
#include "convert/frmUnitConv.h"
#include "kit/FormLayout.h"
#include "newvalues/frmNew.h"
#include "options/frmOptions.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QTest>

#include <memory>

namespace {

QPalette darkPalette(const QColor& window, const QColor& base, const QColor& button)
{
    QPalette dark;
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, QColor(235, 235, 235));
    dark.setColor(QPalette::Button, button);
    dark.setColor(QPalette::ButtonText, QColor(235, 235, 235));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    return dark;
}

// The text colour and the colour it is drawn on, as the style paints the control.
std::pair<QColor, QColor> textAndBackground(const QWidget* widget)
{
    const QPalette& p = widget->palette();
    if (qobject_cast<const QPushButton*>(widget))
        return {p.color(QPalette::ButtonText), p.color(QPalette::Button)};
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractItemView*>(widget) ||
        qobject_cast<const QComboBox*>(widget))
        return {p.color(QPalette::Text), p.color(QPalette::Base)};
    // Labels, option buttons and frame captions are drawn on the window behind them.
    return {p.color(QPalette::WindowText), widget->parentWidget()->palette().color(QPalette::Window)};
}

std::vector<std::unique_ptr<QWidget>> everyWindow()
{
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<frmUnitConv>());
    windows.push_back(std::make_unique<frmNew>());
    windows.push_back(std::make_unique<frmOptions>());
    windows.push_back(std::make_unique<frmAbout>());
    windows.push_back(std::make_unique<MDIMain>());
    return windows;
}

QList<QWidget*> textControls(QWidget* window)
{
    QList<QWidget*> controls;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(child) || qobject_cast<QAbstractButton*>(child) || qobject_cast<QGroupBox*>(child) ||
            qobject_cast<QLineEdit*>(child) || qobject_cast<QAbstractItemView*>(child) ||
            qobject_cast<QComboBox*>(child))
            controls << child;
    }
    return controls;
}

} // namespace

class TestLook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_light = QApplication::palette();
        m_style = QApplication::style()->name();
    }
    void cleanup()
    {
        QApplication::setStyle(QStyleFactory::create(m_style));
        QApplication::setPalette(m_light);
    }

    void contrastFormula()
    {
        QCOMPARE(qRound(FormLayout::contrast(Qt::black, Qt::white) * 100), 2100);
        QCOMPARE(qRound(FormLayout::contrast(Qt::white, QColor(192, 192, 192)) * 100), 182);
        QVERIFY(FormLayout::contrast(QColor(128, 0, 0), QColor(53, 53, 53)) < 2.0);
    }

    void readableOnDark_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("Fusion, dark grey")
            << "Fusion" << darkPalette(QColor(53, 53, 53), QColor(35, 35, 35), QColor(53, 53, 53));
        QTest::newRow("application palette, near black")
            << m_style << darkPalette(QColor(20, 20, 24), QColor(10, 10, 10), QColor(45, 45, 50));
        QTest::newRow("Fusion, dark blue")
            << "Fusion" << darkPalette(QColor(25, 35, 60), QColor(15, 20, 40), QColor(40, 50, 80));
    }
    void readableOnDark()
    {
        QFETCH(QString, style);
        QFETCH(QPalette, palette);
        QApplication::setStyle(QStyleFactory::create(style));
        QApplication::setPalette(palette);
        for (const auto& window : everyWindow()) {
            const QList<QWidget*> controls = textControls(window.get());
            QVERIFY(!controls.isEmpty());
            for (QWidget* control : controls) {
                const auto [text, background] = textAndBackground(control);
                const double ratio = FormLayout::contrast(text, background);
                QVERIFY2(
                    ratio >= FormLayout::ReadableContrast,
                    qPrintable(QStringLiteral("%1 in %2: %3 on %4 is %5:1")
                                   .arg(control->objectName(), window->objectName(), text.name(), background.name())
                                   .arg(ratio, 0, 'f', 2)));
            }
        }
        // No light face stays behind the converter's help picture.
        frmUnitConv converter;
        const QColor helpFace = converter.findChild<QPushButton*>("cmdHelp_0")->palette().color(QPalette::Button);
        QVERIFY2(!FormLayout::isLight(helpFace), qPrintable(helpFace.name()));
    }

    // A grabbed picture: the caption's pixels stand out from the frame's background.
    void captionPixelsOnDark()
    {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QApplication::setPalette(darkPalette(QColor(53, 53, 53), QColor(35, 35, 35), QColor(53, 53, 53)));
        frmNew form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* frame = form.findChild<QGroupBox*>("Frame1");
        const QImage image = frame->grab(QRect(0, 0, frame->width(), frame->fontMetrics().height())).toImage();
        const QColor background = frame->palette().color(QPalette::Window);
        double best = 1.0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                best = std::max(best, FormLayout::contrast(image.pixelColor(x, y), background));
        QVERIFY2(best >= FormLayout::ReadableContrast, qPrintable(QString::number(best)));
    }

    void designedColoursOnLight()
    {
        frmNew form;
        for (const char* name : {"Frame1", "Frame2"})
            QCOMPARE(form.findChild<QGroupBox*>(name)->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        auto* add = form.findChild<QPushButton*>("cmdCalc");
        QCOMPARE(add->palette().color(QPalette::Button), QColor(192, 192, 192));
        QVERIFY(FormLayout::contrast(add->palette().color(QPalette::ButtonText), QColor(192, 192, 192)) >= 4.5);
        frmUnitConv converter;
        QCOMPARE(converter.findChild<QPushButton*>("cmdHelp_0")->palette().color(QPalette::Button),
                 QColor(0xE0, 0xE0, 0xE0));
        frmOptions options;
        QCOMPARE(options.findChild<QGroupBox*>("Frame2")->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    }

    void readableRedKeepsItsHue()
    {
        const QColor red = FormLayout::readableOn(QColor(128, 0, 0), QColor(53, 53, 53));
        QVERIFY(FormLayout::contrast(red, QColor(53, 53, 53)) >= 4.5);
        QCOMPARE(red.hslHue(), 0);
        QVERIFY(red.red() > red.green());
    }

    void programIconAtDoubleDensity_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : {16, 24, 32, 64, 128})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }
    void programIconAtDoubleDensity()
    {
        QFETCH(int, size);
        const QIcon icon = FormLayout::programIcon();
        QVERIFY(icon.availableSizes().contains(QSize(size * 2, size * 2)));
        const QPixmap pixmap = icon.pixmap(QSize(size, size), 2.0);
        QCOMPARE(pixmap.size(), QSize(size * 2, size * 2));
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    }

    // The help and swap buttons' icons come with images drawn at twice the size, so at 2x
    // they are not the 1x images blown up.
    void buttonIconsAtDoubleDensity_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("button");
        QTest::newRow("converter help") << "frmUnitConv"
                                        << "cmdHelp_0";
        QTest::newRow("converter swap") << "frmUnitConv"
                                        << "cmdSwap";
        QTest::newRow("new values help") << "frmNew"
                                         << "cmdHelp_0";
        QTest::newRow("options help") << "frmOptions"
                                      << "cmdHelp_0";
    }
    void buttonIconsAtDoubleDensity()
    {
        QFETCH(QString, window);
        QFETCH(QString, button);
        frmUnitConv converter;
        frmNew values;
        frmOptions options;
        const QWidget* form = window == QLatin1String("frmNew")       ? static_cast<QWidget*>(&values)
                              : window == QLatin1String("frmOptions") ? static_cast<QWidget*>(&options)
                                                                      : static_cast<QWidget*>(&converter);
        const auto* push = form->findChild<QPushButton*>(button);
        QVERIFY(push);
        const QIcon icon = push->icon();
        QVERIFY(!icon.isNull());
        const QSize shown = push->iconSize();
        const QSize largest = icon.availableSizes().value(icon.availableSizes().size() - 1);
        QVERIFY2(largest.width() >= 2 * shown.width() && largest.height() >= 2 * shown.height(),
                 qPrintable(QStringLiteral("largest image %1x%2 for an icon shown at %3x%4")
                                .arg(largest.width())
                                .arg(largest.height())
                                .arg(shown.width())
                                .arg(shown.height())));
        const QPixmap pixmap = icon.pixmap(shown, 2.0);
        QCOMPARE(pixmap.size(), shown * 2);
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    }

    // Every push button's caption fits inside the button's frame and margins once the window shows.
    void buttonCaptionsFit()
    {
        frmUnitConv converter;
        frmNew values;
        frmOptions options;
        for (QWidget* window :
             {static_cast<QWidget*>(&converter), static_cast<QWidget*>(&values), static_cast<QWidget*>(&options)}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            for (const QPushButton* button : window->findChildren<QPushButton*>()) {
                QString caption = button->text();
                caption.remove(QLatin1Char('&'));
                if (caption.isEmpty())
                    continue;
                const QStyle* style = button->style();
                int room = button->width() - 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) -
                           2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
                if (!button->icon().isNull())
                    room -= button->iconSize().width() + 4;
                const int needed = button->fontMetrics().horizontalAdvance(caption);
                QVERIFY2(needed <= room,
                         qPrintable(QStringLiteral("%1: %2 > %3").arg(button->objectName()).arg(needed).arg(room)));
            }
        }
    }

    void windowsCarryTheProgramIcon()
    {
        MDIMain main;
        QVERIFY(!main.windowIcon().isNull());
        QVERIFY(main.windowIcon().availableSizes().contains(QSize(64, 64)));
    }

private:
    QPalette m_light;
    QString m_style;
};

QTEST_MAIN(TestLook)
#include "tst_look.moc"
