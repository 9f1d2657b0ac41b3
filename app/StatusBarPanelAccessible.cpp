#include "StatusBarPanelAccessible.h"

#include "StatusBar.h"

#include <QWindow>

StatusBarPanelAccessible::StatusBarPanelAccessible(StatusBar *bar, int panel) : m_bar(bar), m_panel(panel)
{
}

bool StatusBarPanelAccessible::isValid() const
{
    return m_bar;
}

QObject *StatusBarPanelAccessible::object() const
{
    return nullptr;
}

QWindow *StatusBarPanelAccessible::window() const
{
    return m_bar ? m_bar->window()->windowHandle() : nullptr;
}

QAccessibleInterface *StatusBarPanelAccessible::childAt(int, int) const
{
    return nullptr;
}

QAccessibleInterface *StatusBarPanelAccessible::parent() const
{
    return m_bar ? QAccessible::queryAccessibleInterface(m_bar.data()) : nullptr;
}

QAccessibleInterface *StatusBarPanelAccessible::child(int) const
{
    return nullptr;
}

int StatusBarPanelAccessible::childCount() const
{
    return 0;
}

int StatusBarPanelAccessible::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QString StatusBarPanelAccessible::text(QAccessible::Text type) const
{
    if (!m_bar)
        return {};
    switch (type) {
    case QAccessible::Name:
        return m_bar->panelText(m_panel);
    case QAccessible::Description:
        return m_panel == 0 ? QStringLiteral("Súgó") : QStringLiteral("Dátum és idő");
    default:
        return {};
    }
}

void StatusBarPanelAccessible::setText(QAccessible::Text, const QString &)
{
    // The panels are written by the program only.
}

QRect StatusBarPanelAccessible::rect() const
{
    if (!m_bar)
        return {};
    const QRect r = m_bar->panelRect(m_panel);
    return QRect(m_bar->mapToGlobal(r.topLeft()), r.size());
}

QAccessible::Role StatusBarPanelAccessible::role() const
{
    return QAccessible::StaticText;
}

QAccessible::State StatusBarPanelAccessible::state() const
{
    QAccessible::State s;
    if (!m_bar) {
        s.invalid = true;
        return s;
    }
    s.readOnly = true;
    s.invisible = !m_bar->isVisible();
    return s;
}
