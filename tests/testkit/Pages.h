#pragma once

// A page object per window: the window loaded on the shared catalogue, its
// controls found by their designed names, driven as a user drives it.

#include "Gestures.h"

#include "app/MDIMain.h"
#include "convert/frmUnitConv.h"
#include "kit/MessageBox.h"
#include "newvalues/frmNew.h"
#include "options/frmOptions.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QtTest>

namespace TestKit {

// A window the page made, or one the main window loaded. A window the page made
// is deleted with the page unless it has unloaded itself first.
template <typename Form> class Page
{
public:
    Page() : form(new Form), m_owned(true) {}
    explicit Page(Form* loaded) : form(loaded) {}
    ~Page()
    {
        if (m_owned)
            delete form.data();
    }
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // Loads and shows the window, and waits until it is the active one.
    void open() const
    {
        form->Form_Load();
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.data()))
            qFatal("%s did not become active", Form::staticMetaObject.className());
    }

    template <typename T> T* get(const char* name) const { return control<T>(form.data(), name); }
    void press(const char* button) const { QTest::mouseClick(get<QAbstractButton>(button), Qt::LeftButton); }
    // Picks an entry of a combo as a user does; ends the run when there is no such entry.
    void pick(const char* combo, const QString& text) const { choose(get<QComboBox>(combo), text); }
    static void choose(QComboBox* combo, const QString& text)
    {
        if (!chooseEntry(combo, text))
            qFatal("no entry %s in %s", qPrintable(text), qPrintable(combo->objectName()));
    }
    static void click(SortedLists::ListView* list, const QString& text)
    {
        if (!clickEntry(list, text))
            qFatal("no entry %s in %s", qPrintable(text), qPrintable(list->objectName()));
    }

    QPointer<Form> form;

private:
    const bool m_owned = false;
};

// The converter, loaded and shown.
class ConverterPage : public Page<frmUnitConv>
{
public:
    ConverterPage() { open(); }
    explicit ConverterPage(frmUnitConv* loaded) : Page(loaded) {}

    QComboBox* combo() const { return get<QComboBox>("cbProperty"); }
    QLineEdit* input() const { return get<QLineEdit>("txtInput"); }
    QLineEdit* output() const { return get<QLineEdit>("txtOutput"); }
    SortedLists::ListView* from() const { return get<SortedLists::ListView>("lstUnitFrm"); }
    SortedLists::ListView* to() const { return get<SortedLists::ListView>("lstUnitTo"); }

    void pick(const QString& property) const { Page::pick("cbProperty", property); }
    using Page::click;
    void type(const QString& value) const
    {
        input()->clear();
        QTest::keyClicks(input(), value);
    }
    // Types a value and clicks the two units; the "Select Unit To" answer to a
    // first click is taken away.
    void convert(const QString& value, const QString& fromUnit, const QString& toUnit) const
    {
        type(value);
        click(from(), fromUnit);
        if (to()->selectedRows().isEmpty())
            MessageBox::takeRecords();
        click(to(), toUnit);
    }
};

// New Values; made but not loaded until open().
class NewValuesPage : public Page<frmNew>
{
public:
    using Page::Page;

    QLineEdit* txtValue() const { return get<QLineEdit>("txtValue"); }
    QLineEdit* txtUnitValue() const { return get<QLineEdit>("txtUnitValue"); }
    QComboBox* cbProperty() const { return get<QComboBox>("cbProperty"); }
    QComboBox* cbUnit() const { return get<QComboBox>("cbUnit"); }
    QLabel* label(const char* name) const { return get<QLabel>(name); }

    // Switches to Unit mode; the prompt the switch shows is taken away.
    void unitMode() const
    {
        QTest::mouseClick(get<QRadioButton>("rdBtn_2"), Qt::LeftButton);
        MessageBox::takeRecords();
    }
    void add() const { press("cmdCalc"); }
    // Types a property addition and presses "&Add".
    void addProperty(const QString& name, const QString& baseUnit) const
    {
        txtValue()->setText(name);
        txtUnitValue()->setText(baseUnit);
        add();
    }
    // Types a unit addition (Unit mode) and presses "&Add".
    void addUnit(const QString& property, const QString& name, const QString& base, const QString& factor) const
    {
        pick("cbProperty", property);
        txtValue()->setText(name);
        pick("cbUnit", base);
        txtUnitValue()->setText(factor);
        add();
    }
};

// Options; loaded and shown.
class OptionsPage : public Page<frmOptions>
{
public:
    OptionsPage() { open(); }
    explicit OptionsPage(frmOptions* loaded) : Page(loaded) {}

    QComboBox* cbProperty() const { return get<QComboBox>("cbProperty"); }
    SortedLists::ListView* lst1() const { return get<SortedLists::ListView>("lst1"); }
    SortedLists::ListView* lst2() const { return get<SortedLists::ListView>("lst2"); }
    QRadioButton* rbutUnit() const { return get<QRadioButton>("rbutUnit"); }
    QRadioButton* rbutProperty() const { return get<QRadioButton>("rbutProperty"); }

    void pickProperty(const QString& name) const { pick("cbProperty", name); }
    // Clicks the one entry of `list` named `text`; fails when the list holds it other than once.
    static void clickEntry(SortedLists::ListView* list, const QString& text)
    {
        QCOMPARE(entries(list).count(text), 1);
        click(list, text);
    }
    // Clicks the given entries of the visible and of the hidden list.
    void selectEntries(const QStringList& visible, const QStringList& hidden) const
    {
        for (const QString& name : visible)
            clickEntry(lst1(), name);
        for (const QString& name : hidden)
            clickEntry(lst2(), name);
    }
    // Switches to Unit kind and picks `property`; the prompts on the way are taken away.
    void chooseUnitKind(const QString& property) const
    {
        QTest::mouseClick(rbutUnit(), Qt::LeftButton);
        pickProperty(property);
        MessageBox::takeRecords();
    }
};

} // namespace TestKit
