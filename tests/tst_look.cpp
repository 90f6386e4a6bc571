// Colours and pictures of every window on dark and light palettes and at
// double pixel density; every control's room at large default fonts.
#include "CatalogueRows.h"
#include "DataTable.h"
#include "Gestures.h"
#include "TestDatabase.h"

#include "app/MDIMain.h"
#include "app/frmAbout.h"
#include "convert/frmUnitConv.h"
#include "kit/FormLayout.h"
#include "kit/MessageBox.h"
#include "newvalues/frmNew.h"
#include "options/frmOptions.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

using TestKit::control;

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

// The controls a window's design places: the window's own children and those of its frames.
QList<QWidget*> designedControls(QWidget* form)
{
    QList<QWidget*> controls;
    for (QWidget* child : form->findChildren<QWidget*>()) {
        QWidget* parent = child->parentWidget();
        if (child->isVisibleTo(form) &&
            (parent == form || (qobject_cast<QGroupBox*>(parent) && parent->parentWidget() == form)))
            controls << child;
    }
    return controls;
}

QString plainCaption(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

// The room a control gives its text line, and the height that line needs, or
// {-1, 0} where the control shows no text of its own (a rule, a frame).
// A text is cut off when its room is less than it needs; the style's own
// padding beyond that is not asked for.
struct Room
{
    int room;
    int needed;
};

Room textRoom(QWidget* control)
{
    QStyle* style = control->style();
    const int line = control->fontMetrics().height();
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        // The edit field the style gives the combo, with the text box's inner margin above and below.
        const QLineEdit* edit = combo->lineEdit();
        return {edit->height() - 2, edit->fontMetrics().height()};
    }
    if (qobject_cast<QLineEdit*>(control)) {
        QStyleOptionFrame option;
        option.initFrom(control);
        option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, control);
        return {style->subElementRect(QStyle::SE_LineEditContents, &option, control).height() - 2, line};
    }
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const int room = style->subElementRect(QStyle::SE_PushButtonContents, &option, button).height();
        const QString caption = plainCaption(button->text());
        const int ink = caption.isEmpty() ? 0 : button->fontMetrics().tightBoundingRect(caption).height();
        return {room, std::max(ink, button->icon().isNull() ? 0 : button->iconSize().height())};
    }
    if (qobject_cast<QRadioButton*>(control))
        return {control->height(),
                std::max(line, style->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, control))};
    if (qobject_cast<QLabel*>(control))
        return {control->height(), control->sizeHint().height()};
    // A list shows at least one whole entry between its frame and scroll bar.
    if (qobject_cast<QAbstractItemView*>(control))
        return {control->height(), control->minimumSizeHint().height()};
    return {-1, 0};
}

// The width the control's caption may take, or -1 where it shows no caption.
int captionRoom(const QWidget* control, QString* caption)
{
    const QStyle* style = control->style();
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        *caption = plainCaption(label->text());
        return label->contentsRect().width() - 2 * label->margin();
    }
    if (const auto* radio = qobject_cast<const QRadioButton*>(control)) {
        *caption = plainCaption(radio->text());
        return radio->width() - style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, radio) -
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, radio);
    }
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        *caption = plainCaption(button->text());
        int room = button->width() - 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) -
                   2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        if (!button->icon().isNull())
            room -= button->iconSize().width() + 4;
        return room;
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(control)) {
        *caption = plainCaption(frame->title());
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect label = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        return frame->width() - label.left();
    }
    return -1;
}

// What is wrong with the controls of `form` as shown: a control shorter than
// its content, a caption wider than its room, a control outside its parent or
// on a sibling, a frame's controls over its caption.
QStringList roomProblems(QWidget* form)
{
    QStringList problems;
    const QList<QWidget*> controls = designedControls(form);
    for (QWidget* control : controls) {
        const QString name = control->objectName();
        const Room room = textRoom(control);
        if (room.room >= 0 && room.room < room.needed)
            problems << QStringLiteral("%1 has %2 px for its text, needs %3").arg(name).arg(room.room).arg(room.needed);
        QString caption;
        const int across = captionRoom(control, &caption);
        const int width = control->fontMetrics().horizontalAdvance(caption);
        if (across >= 0 && width > across)
            problems << QStringLiteral("%1: \"%2\" is %3 wide in %4").arg(name, caption).arg(width).arg(across);
        QWidget* parent = control->parentWidget();
        if (!parent->rect().contains(control->geometry()))
            problems << QStringLiteral("%1 reaches outside %2").arg(name, parent->objectName());
        if (qobject_cast<QGroupBox*>(parent) && control->y() < parent->fontMetrics().height())
            problems << QStringLiteral("%1 covers the caption of %2").arg(name, parent->objectName());
        for (QWidget* other : controls) {
            if (other != control && other->parentWidget() == parent && name < other->objectName() &&
                control->geometry().intersects(other->geometry()))
                problems << QStringLiteral("%1 overlaps %2").arg(name, other->objectName());
        }
    }
    return problems;
}

QString sizeText(const QSize& size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// One row per size, named by it.
void sizeRows(std::initializer_list<int> sizes)
{
    QTest::addColumn<int>("size");
    for (const int size : sizes)
        QTest::newRow(qPrintable(QString::number(size))) << size;
}

// Every problem found, one a line, after their number.
QString report(const QStringList& problems)
{
    return QString::number(problems.size()) + QStringLiteral(" problems:\n") + problems.join(QLatin1Char('\n'));
}

const QStringList WindowsAsOpened{
    "converter", "new values, property", "new values, unit", "options, unit", "options, property", "about", "main"};

// One row per default font size and window as opened; 0 points keeps the platform's font.
void fontRows(std::initializer_list<qreal> sizes)
{
    const TestKit::DataTable<qreal, QString> row("points", "window");
    for (const qreal points : sizes) {
        const QString size = points > 0 ? QStringLiteral("%1 pt").arg(points) : QStringLiteral("default");
        for (const QString& window : WindowsAsOpened)
            row(qPrintable(size + QStringLiteral(", ") + window), points, window);
    }
}

// A window opened as the program opens it, on a small catalogue of its own:
// the main window with the converter, or the window its menu or the
// converter's button opens, in the mode named.
struct Opened
{
    explicit Opened(const QString& window)
    {
        TestKit::addRows(db, {{"1", "Length"}}, {{"10", "Metre", 1.0, "1"}});
        db.openShared();
        main.show();
        form = main.loadedChild<frmUnitConv>();
        if (window.startsWith(QLatin1String("new values"))) {
            main.mnuNG_Click();
            form = main.loadedChild<frmNew>();
            if (window.endsWith(QLatin1String("unit")))
                QTest::mouseClick(control<QRadioButton>(form, "rdBtn_2"), Qt::LeftButton);
        } else if (window.startsWith(QLatin1String("options"))) {
            main.mnuOption_Click();
            form = main.loadedChild<frmOptions>();
            const char* kind = window.endsWith(QLatin1String("unit")) ? "rbutUnit" : "rbutProperty";
            QTest::mouseClick(control<QRadioButton>(form, kind), Qt::LeftButton);
        } else if (window == QLatin1String("about")) {
            main.mnuAbt_Click();
            form = main.loadedChild<frmAbout>();
        }
        QApplication::processEvents();
    }
    TestDatabase db;
    MDIMain main;
    QWidget* form = nullptr;
};

} // namespace

class TestLook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_light = QApplication::palette();
        m_style = QApplication::style()->name();
        m_font = QApplication::font();
        MessageBox::setIntercepting(true);
    }
    void cleanup()
    {
        QApplication::setStyle(QStyleFactory::create(m_style));
        QApplication::setPalette(m_light);
        QApplication::setFont(m_font);
        MessageBox::takeRecords();
    }

    void contrastFormula()
    {
        QCOMPARE(qRound(FormLayout::contrast(Qt::black, Qt::white) * 100), 2100);
        QCOMPARE(qRound(FormLayout::contrast(Qt::white, QColor(192, 192, 192)) * 100), 182);
        QVERIFY(FormLayout::contrast(QColor(128, 0, 0), QColor(53, 53, 53)) < 2.0);
    }

    void readableOnDark_data()
    {
        const TestKit::DataTable<QString, QPalette> row("style", "palette");
        row("Fusion, dark grey", "Fusion", darkPalette(QColor(53, 53, 53), QColor(35, 35, 35), QColor(53, 53, 53)));
        row("application palette, near black", m_style,
            darkPalette(QColor(20, 20, 24), QColor(10, 10, 10), QColor(45, 45, 50)));
        row("Fusion, dark blue", "Fusion", darkPalette(QColor(25, 35, 60), QColor(15, 20, 40), QColor(40, 50, 80)));
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
        const QColor helpFace = control<QPushButton>(&converter, "cmdHelp_0")->palette().color(QPalette::Button);
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
        auto* frame = control<QGroupBox>(&form, "Frame1");
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
            QCOMPARE(control<QGroupBox>(&form, name)->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        auto* add = control<QPushButton>(&form, "cmdCalc");
        QCOMPARE(add->palette().color(QPalette::Button), QColor(192, 192, 192));
        QVERIFY(FormLayout::contrast(add->palette().color(QPalette::ButtonText), QColor(192, 192, 192)) >= 4.5);
        frmUnitConv converter;
        QCOMPARE(control<QPushButton>(&converter, "cmdHelp_0")->palette().color(QPalette::Button),
                 QColor(0xE0, 0xE0, 0xE0));
        frmOptions options;
        QCOMPARE(control<QGroupBox>(&options, "Frame2")->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    }

    void readableRedKeepsItsHue()
    {
        const QColor red = FormLayout::readableOn(QColor(128, 0, 0), QColor(53, 53, 53));
        QVERIFY(FormLayout::contrast(red, QColor(53, 53, 53)) >= 4.5);
        QCOMPARE(red.hslHue(), 0);
        QVERIFY(red.red() > red.green());
    }

    // The icon reads its pictures as they are drawn: each size still comes from its own file.
    void programIconSizesFromTheirOwnFiles_data() { sizeRows({16, 22, 24, 32, 48, 64, 128, 256}); }
    void programIconSizesFromTheirOwnFiles()
    {
        QFETCH(int, size);
        const QIcon icon = FormLayout::programIcon();
        const QImage drawn = icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        // The file as a pixmap holds it: the trip through premultiplied alpha changes
        // half-transparent pixels, and by how much depends on the processor.
        const QImage file = QPixmap::fromImage(QImage(QStringLiteral(":/images/quantaro-%1.png").arg(size)))
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!file.isNull());
        QCOMPARE(drawn, file);
    }

    void programIconAtDoubleDensity_data() { sizeRows({16, 24, 32, 64, 128}); }
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
        const TestKit::DataTable<QString, QString> row("window", "button");
        row("converter help", "frmUnitConv", "cmdHelp_0");
        row("converter swap", "frmUnitConv", "cmdSwap");
        row("new values help", "frmNew", "cmdHelp_0");
        row("options help", "frmOptions", "cmdHelp_0");
    }
    void buttonIconsAtDoubleDensity()
    {
        QFETCH(QString, window);
        QFETCH(QString, button);
        const auto windows = everyWindow();
        const auto form = std::find_if(windows.cbegin(), windows.cend(),
                                       [&](const auto& made) { return window == made->metaObject()->className(); });
        QVERIFY(form != windows.cend());
        const auto* push = control<QPushButton>(form->get(), qPrintable(button));
        const QIcon icon = push->icon();
        QVERIFY(!icon.isNull());
        const QSize shown = push->iconSize();
        const QSize largest = icon.availableSizes().value(icon.availableSizes().size() - 1);
        QVERIFY2(
            largest.width() >= 2 * shown.width() && largest.height() >= 2 * shown.height(),
            qPrintable(
                QStringLiteral("largest image %1 for an icon shown at %2").arg(sizeText(largest), sizeText(shown))));
        const QPixmap pixmap = icon.pixmap(shown, 2.0);
        QCOMPARE(pixmap.size(), shown * 2);
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    }

    // At the platform's default font and at large ones, each window opened as the
    // program opens it has room for every control's content and caption, push
    // buttons' captions included, once the window shows.
    void roomAtLargeFonts_data() { fontRows({0.0, 14.0, 20.0}); }
    void roomAtLargeFonts()
    {
        QFETCH(qreal, points);
        QFETCH(QString, window);
        useDefaultFont(points);
        Opened opened(window);
        QWidget* form = opened.form;
        MDIMain& main = opened.main;
        QVERIFY(form);
        QStringList problems = roomProblems(form);
        // The main window shows the converter whole, below a menu bar tall enough for its items.
        if (window == QLatin1String("main")) {
            const QSize frame = main.loadedChild<frmUnitConv>()->subWindow()->size();
            const QSize area = main.mdiArea()->viewport()->size();
            if (area.width() < frame.width() || area.height() < frame.height())
                problems
                    << QStringLiteral("the converter's %1 frame in a %2 area").arg(sizeText(frame), sizeText(area));
            if (main.menuBar()->height() < main.menuBar()->sizeHint().height())
                problems << QStringLiteral("menu bar %1 high").arg(main.menuBar()->height());
        }
        QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));
    }

    // The designed fonts and the window grow with the user's default font, in
    // proportion up to the steps by which captions shrink to fit.
    void growWithTheDefaultFont_data() { fontRows({14.0, 20.0}); }
    void growWithTheDefaultFont()
    {
        QFETCH(qreal, points);
        QFETCH(QString, window);
        QMap<QString, qreal> designed;
        QSize designedSize;
        {
            const Opened opened(window);
            QVERIFY(opened.form);
            for (const QWidget* control : designedControls(opened.form))
                designed[control->objectName()] = control->font().pointSizeF();
            designedSize = opened.form->size();
        }
        useDefaultFont(points);
        const qreal scale = 0.95 * points / m_font.pointSizeF();
        const Opened opened(window);
        QVERIFY(opened.form);
        QStringList problems;
        for (const QWidget* control : designedControls(opened.form)) {
            const qreal grown = control->font().pointSizeF() / designed.value(control->objectName());
            if (grown < scale)
                problems << QStringLiteral("%1: %2 pt, %3 times its size at the default")
                                .arg(control->objectName())
                                .arg(control->font().pointSizeF())
                                .arg(grown, 0, 'f', 2);
        }
        const QSize size = opened.form->size();
        if (size.width() < designedSize.width() * scale || size.height() < designedSize.height() * scale)
            problems
                << QStringLiteral("the window is %1, at the default %2").arg(sizeText(size), sizeText(designedSize));
        QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));
    }

    // A control whose content needs more than its design gives it grows, what
    // lies below it in its window or frame moves down by as much, what reaches
    // past its bottom edge stretches with it, and what ends above that edge stays.
    void roomAddedBelowWhatNeedsIt_data()
    {
        const TestKit::DataTable<qreal> row("points");
        row("default", 0.0);
        row("20 pt", 20.0);
    }
    void roomAddedBelowWhatNeedsIt()
    {
        QFETCH(qreal, points);
        useDefaultFont(points);
        using FormLayout::scaled;
        QWidget form;
        auto* frame = new QGroupBox(QStringLiteral("Frame"), &form);
        FormLayout::place(frame, 0, 0, 3000, 1200);
        auto* tooShort = new QLineEdit(frame);
        FormLayout::place(tooShort, 100, 300, 2000, 90);
        auto* besideIt = new QLineEdit(frame);
        FormLayout::place(besideIt, 2200, 300, 700, 375);
        auto* beside = new QLabel(QStringLiteral("Beside"), &form);
        FormLayout::place(beside, 3100, 300, 1000, 285);
        auto* below = new QPushButton(QStringLiteral("Below"), &form);
        FormLayout::place(below, 0, 1300, 1500, 375);
        const QSize client = FormLayout::layOut(&form, 4200, 1800);

        const int added = FormLayout::contentHeight(tooShort) - scaled(90);
        QVERIFY(added > 0);
        QCOMPARE(tooShort->geometry(), QRect(scaled(100), scaled(300), scaled(2000), scaled(90) + added));
        QCOMPARE(besideIt->geometry(), QRect(scaled(2200), scaled(300), scaled(700), scaled(375) + added));
        QCOMPARE(frame->height(), scaled(1200) + added);
        QCOMPARE(beside->geometry(), QRect(scaled(3100), scaled(300), scaled(1000), scaled(285)));
        QCOMPARE(below->geometry(), QRect(0, scaled(1300) + added, scaled(1500), scaled(375)));
        QCOMPARE(client, QSize(scaled(4200), scaled(1800) + added));
    }

    // A label needs the height the label itself asks for, whatever its text,
    // margins and frame, in the windows' own captions and in others.
    void labelNeedsWhatItAsksFor_data() { fontRows({0.0, 20.0}); }
    void labelNeedsWhatItAsksFor()
    {
        QFETCH(qreal, points);
        QFETCH(QString, window);
        useDefaultFont(points);
        const Opened opened(window);
        QVERIFY(opened.form);
        QWidget others;
        const QFont caption = FormLayout::designFont(QStringLiteral("Trebuchet MS"), 11.25, true);
        for (const char* text : {"&Unit From", "Two\nlines", "<b>Rich</b> text", "Ёжик ∑ 漢字 ﷺ", "", "Margin"}) {
            auto* label = new QLabel(QString::fromUtf8(text), &others);
            label->setFont(caption);
            if (label->text() == QLatin1String("Margin")) {
                label->setMargin(3);
                label->setFrameStyle(QFrame::Box | QFrame::Plain);
                label->setLineWidth(2);
            }
        }
        QStringList problems;
        for (const QLabel* label : opened.form->findChildren<QLabel*>() + others.findChildren<QLabel*>()) {
            const int asked = label->minimumSizeHint().height();
            if (FormLayout::contentHeight(label) != asked)
                problems << QStringLiteral("\"%1\": %2 px, asks for %3")
                                .arg(label->text())
                                .arg(FormLayout::contentHeight(label))
                                .arg(asked);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));
    }

    void windowsCarryTheProgramIcon()
    {
        MDIMain main;
        QVERIFY(!main.windowIcon().isNull());
        QVERIFY(main.windowIcon().availableSizes().contains(QSize(64, 64)));
    }

private:
    // Makes the application's default font `points` large, as a user's desktop does; 0 keeps the platform's.
    void useDefaultFont(qreal points) const
    {
        if (points <= 0)
            return;
        QFont font = m_font;
        font.setPointSizeF(points);
        QApplication::setFont(font);
    }

    QPalette m_light;
    QString m_style;
    QFont m_font;
};

QTEST_MAIN(TestLook)
#include "tst_look.moc"
