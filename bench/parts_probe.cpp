// The Qt parts the converter cannot do without, and none of the program's
// code: SQLite through QtSql reading the property table of the catalogue
// beside it, a menu bar, and an MDI child holding one control of each kind the
// converter shows, in its fonts, in a main window of the program's size. Its
// start-up tells how much of the program's own comes on top of those parts.
#include "FirstPaint.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringListModel>

namespace {

QFont font(const QString& family, qreal points, bool bold)
{
    QFont result(family);
    result.setPointSizeF(points);
    result.setBold(bold);
    return result;
}

void fillFromCatalogue(QComboBox* combo)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Tessaly.mdb")));
    if (!db.open())
        qFatal("cannot open the catalogue");
    QSqlQuery query(QStringLiteral("select * from tbProperty"), db);
    while (query.next())
        combo->addItem(query.value(1).toString(), query.value(0));
}

QWidget* controls()
{
    auto* form = new QWidget;
    auto* label = new QLabel(QStringLiteral("Property"), form);
    label->setFont(font(QStringLiteral("Trebuchet MS"), 11.25, true));
    label->setGeometry(8, 14, 65, 19);
    auto* combo = new QComboBox(form);
    combo->setEditable(true);
    combo->setGeometry(76, 14, 275, 21);
    fillFromCatalogue(combo);
    auto* value = new QLineEdit(form);
    value->setFont(font(QStringLiteral("Arial"), 11.25, false));
    value->setGeometry(76, 38, 275, 25);
    auto* frame = new QGroupBox(QStringLiteral("Output"), form);
    frame->setFont(font(QStringLiteral("Tahoma"), 8.25, true));
    frame->setGeometry(440, 18, 347, 51);
    // A view over a model at uniform height, as the converter's unit lists are.
    auto* list = new QListView(form);
    list->setUniformItemSizes(true);
    list->setModel(new QStringListModel(list));
    list->setGeometry(4, 94, 349, 303);
    auto* button = new QPushButton(QStringLiteral("&Swap"), form);
    button->setFont(font(QStringLiteral("Tahoma"), 9.75, true));
    button->setGeometry(356, 108, 85, 39);
    form->setFixedSize(796, 459);
    return form;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    new QuitAfterFirstPaint(&app);
    QMainWindow window;
    auto* area = new QMdiArea(&window);
    window.setCentralWidget(area);
    QMenuBar* menus = window.menuBar();
    menus->addAction(QStringLiteral("Quantaro"));
    QMenu* tools = menus->addMenu(QStringLiteral("&Tools"));
    tools->addAction(QStringLiteral("&New"));
    tools->addAction(QStringLiteral("&Options"));
    QMenu* help = menus->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("Cont&ents"));
    help->addAction(QStringLiteral("&About"));
    menus->addAction(QStringLiteral("E&xit"));
    area->addSubWindow(controls())->show();
    window.resize(836, 549);
    window.show();
    return QApplication::exec();
}
