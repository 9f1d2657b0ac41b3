#include "ApplicationHint.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QToolTip>

namespace {
// A hint is a control's tooltip (its short part) with its status tip (its long part); a control
// without one takes its nearest parent's, up to its window.
const QWidget *hintCarrier(const QWidget *control)
{
    for (const QWidget *w = control; w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (!w->toolTip().isEmpty() || !w->statusTip().isEmpty())
            return w;
    return nullptr;
}

QString longPart(const QWidget *control)
{
    const QWidget *carrier = hintCarrier(control);
    return carrier ? carrier->statusTip() : QString();
}

// The tooltip switch: the control's own "showHint" setting, or its window's when it has none.
bool showsToolTip(const QWidget *control)
{
    if (!control)
        return false;
    const QVariant own = control->property("showHint");
    return own.isValid() ? own.toBool() : control->window()->property("showHint").toBool();
}

QString toolTipOf(const QWidget *control)
{
    const QWidget *carrier = showsToolTip(control) ? hintCarrier(control) : nullptr;
    return carrier ? carrier->toolTip() : QString();
}
} // namespace

ApplicationHint::ApplicationHint(QObject *parent) : QObject(parent)
{
    m_toolTipDelay.setSingleShot(true);
    connect(&m_toolTipDelay, &QTimer::timeout, this, &ApplicationHint::showToolTip);
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &ApplicationHint::idle);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

ApplicationHint::~ApplicationHint()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void ApplicationHint::followMenuBar(QMenuBar *menuBar)
{
    m_menuBar = menuBar;
}

// Disabled controls and labels count; widgetAt passes over only what is transparent to the mouse,
// and then the control beneath it is the one the pointer acts on.
QWidget *ApplicationHint::controlAt(const QPoint &globalPos)
{
    return QApplication::widgetAt(globalPos);
}

QWidget *ApplicationHint::controlUnderPointer()
{
    return controlAt(QCursor::pos());
}

// While a drop-down is open with nothing in it highlighted, its top-level item still is. The
// menu bar is in the menu only while a drop-down is open or the keyboard works it (after Alt, it
// holds the focus): a title lit up because the pointer rests on it opens nothing and hints nothing.
QAction *ApplicationHint::highlightedMenuItem(bool *open) const
{
    QWidget *popup = QApplication::activePopupWidget();
    auto *menu = popup ? qobject_cast<QMenu *>(popup) : nullptr;
    QAction *barItem = m_menuBar && (menu || m_menuBar->hasFocus()) ? m_menuBar->activeAction() : nullptr;
    *open = barItem || menu;
    if (!menu)
        return barItem;
    if (QAction *item = menu->activeAction())
        return item;
    // The pointer on a separator highlights none of the menu's items, the title neither.
    QAction *under = menu->actionAt(menu->mapFromGlobal(QCursor::pos()));
    return under && under->isSeparator() ? under : barItem;
}

QString ApplicationHint::itemHint(const QAction *item)
{
    if (!item)
        return {};
    // A top-level item is the menu's own action; the menu carries the hint.
    const QMenu *menu = item->statusTip().isEmpty() ? QMenu::menuInAction(item) : nullptr;
    return menu ? menu->statusTip() : item->statusTip();
}

// While one of the program's message boxes waits for an answer, the loop that runs is the box's
// own: neither the pointer nor the menu is followed, so a status text written before the box stays.
bool ApplicationHint::messageBoxOpen()
{
    return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()) != nullptr;
}

void ApplicationHint::idle()
{
    if (messageBoxOpen()) {
        m_toolTipDelay.stop();
        return;
    }
    bool open = false;
    QAction *item = highlightedMenuItem(&open);
    if (open) {
        if (!m_menuOpen || item != m_menuItem) {
            m_menuOpen = true;
            m_menuItem = item;
            setText(itemHint(item));
        }
        return;
    }
    if (m_menuOpen) {
        menuClosed();
        return;
    }
    const bool moved = m_pointerMoved;
    if (!moved && !QGuiApplication::modalWindow())
        return;
    m_pointerMoved = false;
    // A modal window keeps the pointer's events from the other windows, so there it is asked.
    const QPoint pos = QCursor::pos();
    if (!moved && pos == m_pointerPos)
        return;
    m_pointerPos = pos;
    followPointer(pos);
}

// Closing the menu empties the hint; the control under the pointer counts again only once the
// pointer reaches another one.
void ApplicationHint::menuClosed()
{
    m_menuOpen = false;
    m_menuItem = nullptr;
    m_pointerMoved = false;
    m_pointerPos = QCursor::pos();
    m_control = controlUnderPointer();
    setText(QString());
}

void ApplicationHint::followPointer(const QPoint &pos)
{
    QWidget *control = controlAt(pos);
    if (control == m_control)
        return;
    m_control = control;
    if (control != m_toolTipControl)
        m_toolTipControl = nullptr;
    setText(longPart(control));
}

void ApplicationHint::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    emit changed(m_text);
}

bool ApplicationHint::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        // Every move reaches the window first, whatever control it is for.
        if (watched->isWindowType()) {
            m_pointerMoved = true;
            if (static_cast<QMouseEvent *>(event)->buttons() != Qt::NoButton)
                m_toolTipDelay.stop();
            else
                // Moving on while a tooltip shows brings up the next one at once (Qt's own never show).
                m_toolTipDelay.start(QToolTip::isVisible() ? 0 : ToolTipDelayMs);
        }
        break;
    case QEvent::Enter:
        // A window that appears or moves under a pointer at rest brings it onto a control just
        // as a move does: its tooltip is due after the same rest.
        if (watched->isWindowType() && QGuiApplication::mouseButtons() == Qt::NoButton)
            m_toolTipDelay.start(QToolTip::isVisible() ? 0 : ToolTipDelayMs);
        Q_FALLTHROUGH();
    case QEvent::Leave:
        // Also sent when a control appears or goes away under a pointer that stands still.
        m_pointerMoved = true;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        m_toolTipDelay.stop();
        break;
    case QEvent::Hide:
        // A chosen item's handler runs as soon as its drop-down has gone, before the loop is
        // idle again: the closing takes effect now, so that the handler's own status text stays.
        if (m_menuOpen && qobject_cast<QMenu *>(watched))
            menuClosed();
        break;
    case QEvent::ToolTip:
    case QEvent::StatusTip:
        // Qt's own tooltips never show; the ones the switch allows come from showToolTip(). Nor
        // do Qt's own status tips write the main window's bar on enter and leave: panel 0
        // follows the application hint alone.
        return true;
    default:
        break;
    }
    return false;
}

void ApplicationHint::showToolTip()
{
    if (messageBoxOpen())
        return;
    QWidget *control = controlUnderPointer();
    const QString tip = toolTipOf(control);
    if (tip.isEmpty()) {
        if (m_toolTipControl)
            QToolTip::hideText();
        m_toolTipControl = nullptr;
        return;
    }
    // One showing per visit: resting on after it has gone brings it back only on the next visit.
    if (control == m_toolTipControl)
        return;
    m_toolTipControl = control;
    QToolTip::showText(QCursor::pos(), tip, control, QRect(), ToolTipShowMs);
}
