#pragma once

#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QKeyEvent;
class QMdiSubWindow;

// A window shown inside the main window. Loading it runs Form_Load once, every
// activation runs Form_Activate, and unloading hides it and then deletes it.
// A window never opens another window itself: it asks with a signal, and the
// main window, which connects every window it loads, acts.
// A window whose message box is open is deleted only once the box has closed
// and the handler that showed it has returned: the box and the handler both
// still use the window.
class ChildForm : public QWidget
{
    Q_OBJECT

public:
    explicit ChildForm(QWidget* parent = nullptr);

    // Marks the window that owns `widget` as showing a box for as long as the
    // scope lives.
    class BoxScope
    {
    public:
        explicit BoxScope(QWidget* widget);
        ~BoxScope();
        BoxScope(const BoxScope&) = delete;
        BoxScope& operator=(const BoxScope&) = delete;

    private:
        QPointer<ChildForm> m_form;
    };

    // Window layouts are drawn in twips; the screen has 15 twips a pixel.
    static constexpr int px(int twips) { return (twips + 7) / 15; }

    virtual void Form_Load() {}
    virtual void Form_Activate() {}

    // The frame the main window put this window in, if any.
    QMdiSubWindow* subWindow() const;
    // Hides the window, then unloads it: the frame closes and both are deleted.
    // While a box of the window is open the window is only hidden, and no
    // longer counts as loaded; it goes when the last box has closed.
    void unload();
    // True from unload() on: the window is on its way out.
    bool isUnloading() const { return m_unloading; }
    // Closing the frame by its own buttons unloads the window the same way.
    void watchFrame(QMdiSubWindow* frame);
    // Moves the window to a place in the main window's client area, in twips.
    void moveInArea(int leftTwips, int topTwips);
    // Moves only the left edge, keeping the top where it is.
    void moveLeftInArea(int leftTwips);
    // Gives every control a label points at that label's caption as its
    // accessible name, so screen readers announce the list or box by its caption.
    // Called again by windows that change captions.
    void nameControlsAfterLabels();
    // The first control a Tab reaches in the window: visible, enabled and taking focus by Tab.
    QWidget* firstControl() const;

signals:
    // Asks for the help topic at `anchor`; `failureMessage` is shown where help cannot start.
    void helpRequested(const QString& anchor, const QString& failureMessage);

protected:
    void showEvent(QShowEvent* event) override;
    // Focus given to the window itself goes on to its first control, so the
    // window opens ready for the keyboard.
    void focusInEvent(QFocusEvent* event) override;
    // F1 presses the window's help button; Escape presses its "&Done" or "&Ok".
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Where a designed font is missing, the fallback may be wider: shrink a
    // caption's font until the text fits its designed box (a label, an option
    // button, a push button inside its frame), so nothing is cut off.
    void fitCaptions();
    // The window's visible, enabled push button captioned one of `captions`, or null.
    QAbstractButton* buttonCaptioned(const QStringList& captions) const;
    void finishUnload();
    bool m_captionsFitted = false;
    bool m_unloading = false;
    int m_openBoxes = 0;
};
