#include "HelpPageAccessible.h"

#include "HelpPage.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

QAccessibleInterface* helpPageFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("HelpPage"))
        if (auto* page = qobject_cast<HelpPage*>(object))
            return new HelpPageAccessible(page);
    return nullptr;
}

} // namespace

HelpPageAccessible::HelpPageAccessible(HelpPage* page) : QAccessibleWidget(page, QAccessible::Document) {}

void HelpPageAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(helpPageFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

HelpPage* HelpPageAccessible::page() const
{
    return static_cast<HelpPage*>(widget());
}

QAccessible::Role HelpPageAccessible::role() const
{
    return QAccessible::Document;
}

QAccessible::State HelpPageAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

QString HelpPageAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return page()->readableText();
    if (t == QAccessible::Name) {
        const QString title = page()->documentTitle();
        const QString name = QAccessibleWidget::text(t);
        return title.isEmpty() || title == name ? name : name + QStringLiteral(": ") + title;
    }
    return QAccessibleWidget::text(t);
}

void* HelpPageAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

int HelpPageAccessible::clamped(int offset) const
{
    return std::clamp(offset, 0, characterCount());
}

void HelpPageAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    const QTextCursor cursor = page()->textCursor();
    if (selectionIndex != 0 || !cursor.hasSelection()) {
        *startOffset = *endOffset = 0;
        return;
    }
    *startOffset = cursor.selectionStart();
    *endOffset = cursor.selectionEnd();
}

int HelpPageAccessible::selectionCount() const
{
    return page()->textCursor().hasSelection() ? 1 : 0;
}

void HelpPageAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void HelpPageAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = page()->textCursor();
    cursor.clearSelection();
    page()->setTextCursor(cursor);
}

void HelpPageAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = page()->textCursor();
    cursor.setPosition(clamped(startOffset));
    cursor.setPosition(clamped(endOffset), QTextCursor::KeepAnchor);
    page()->setTextCursor(cursor);
}

int HelpPageAccessible::cursorPosition() const
{
    return page()->textCursor().position();
}

void HelpPageAccessible::setCursorPosition(int position)
{
    QTextCursor cursor = page()->textCursor();
    cursor.setPosition(clamped(position));
    page()->setTextCursor(cursor);
}

QString HelpPageAccessible::text(int startOffset, int endOffset) const
{
    const int start = clamped(startOffset);
    return page()->readableText().mid(start, clamped(endOffset) - start);
}

QString HelpPageAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                         int* endOffset) const
{
    if (boundaryType == QAccessible::NoBoundary || boundaryType == QAccessible::CharBoundary)
        return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
    QTextCursor cursor(page()->document());
    cursor.setPosition(clamped(offset));
    const QPair<int, int> range = QAccessible::qAccessibleTextBoundaryHelper(cursor, boundaryType);
    *startOffset = range.first;
    *endOffset = range.second;
    return text(range.first, range.second);
}

int HelpPageAccessible::characterCount() const
{
    return std::max(0, page()->document()->characterCount() - 1);
}

QRect HelpPageAccessible::characterRect(int offset) const
{
    QTextCursor cursor(page()->document());
    cursor.setPosition(clamped(offset));
    const QRect local = page()->cursorRect(cursor);
    return QRect(page()->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int HelpPageAccessible::offsetAtPoint(const QPoint& point) const
{
    return page()->cursorForPosition(page()->viewport()->mapFromGlobal(point)).position();
}

void HelpPageAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    setSelection(0, startIndex, endIndex);
    page()->ensureCursorVisible();
}

QString HelpPageAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = clamped(offset);
    return QString();
}
