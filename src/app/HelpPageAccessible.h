#pragma once

#include <QAccessibleWidget>

class HelpPage;

// How screen readers see the help page: a read-only document whose text is
// the page's words, without the markers the text engine keeps for tables and
// pictures.
class HelpPageAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit HelpPageAccessible(HelpPage* page);

    // Registers the interface for every help page; repeated calls do nothing more.
    static void install();

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    HelpPage* page() const;
    int clamped(int offset) const;
};
