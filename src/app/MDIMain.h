#pragma once

#include "kit/ChildForm.h"
#include "kit/MessageBox.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

class QAction;
class QKeyEvent;

// The main window: a menu bar over an area that holds the child windows.
class MDIMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit MDIMain(QWidget* parent = nullptr);
    ~MDIMain() override;

    QMdiArea* mdiArea() const { return m_mdiArea; }

    // The loaded window of type T, or nullptr.
    template <typename T> T* loadedChild() const
    {
        for (QMdiSubWindow* frame : m_mdiArea->subWindowList()) {
            if (T* form = qobject_cast<T*>(frame->widget()); form && !form->isUnloading())
                return form;
        }
        return nullptr;
    }

    // Brings the loaded T to the front, or loads it: a new frame, Form_Load, shown.
    template <typename T> T* showChild()
    {
        if (T* form = loadedChild<T>()) {
            bringToFront(form);
            return form;
        }
        T* form = new T;
        load(form);
        return form;
    }

    template <typename T> void unloadChild()
    {
        if (T* form = loadedChild<T>())
            form->unload();
    }

public slots:
    void MDIForm_Load();
    void mnuUnitConv_Click();
    void mnuNG_Click();
    void mnuOption_Click();
    void mnucontents_Click();
    void mnuAbt_Click();
    void mnuExit_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // F1 that no child window takes opens Help > Contents.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void load(ChildForm* form);
    // Answers what the window asks for: help, and the windows it opens.
    void connectRequests(ChildForm* form);
    void bringToFront(ChildForm* form);
    // Grows the main window until its area shows `frame` whole.
    void makeRoomFor(const QWidget* frame);
    void subWindowActivated(QMdiSubWindow* frame);

    bool isMenuShortcut(const QKeyEvent* key) const;

    QMdiArea* m_mdiArea;
    QList<QKeySequence> m_menuShortcuts;
    bool m_loaded = false;
};
