#pragma once

#include <QWidget>

class QMdiSubWindow;

// A window shown inside the main window. Loading it runs Form_Load once, every
// activation runs Form_Activate, and unloading hides it and then deletes it.
class ChildForm : public QWidget
{
    Q_OBJECT

public:
    explicit ChildForm(QWidget* parent = nullptr);

    // Window layouts are drawn in twips; the screen has 15 twips a pixel.
    static constexpr int px(int twips) { return (twips + 7) / 15; }

    virtual void Form_Load() {}
    virtual void Form_Activate() {}

    // The frame the main window put this window in, if any.
    QMdiSubWindow* subWindow() const;
    // Hides the window, then unloads it: the frame closes and both are deleted.
    void unload();
    // Moves the window to a place in the main window's client area, in twips.
    void moveInArea(int leftTwips, int topTwips);
    // Moves only the left edge, keeping the top where it is.
    void moveLeftInArea(int leftTwips);
    // Gives every control a label points at that label's caption as its
    // accessible name, so screen readers announce the list or box by its caption.
    // Called again by windows that change captions.
    void nameControlsAfterLabels();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Where a designed font is missing, the fallback may be wider: shrink a
    // caption's font until the text fits its designed box, so nothing is cut off.
    void fitCaptions();
    bool m_captionsFitted = false;
};
