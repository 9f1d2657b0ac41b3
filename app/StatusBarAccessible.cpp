#include "StatusBarAccessible.h"

#include "StatusBar.h"
#include "StatusBarPanelAccessible.h"

StatusBarAccessible::StatusBarAccessible(StatusBar *bar) : QAccessibleWidget(bar, QAccessible::StatusBar)
{
    for (int panel = 0; panel < 2; ++panel)
        m_panels[panel] = QAccessible::registerAccessibleInterface(new StatusBarPanelAccessible(bar, panel));
}

StatusBarAccessible::~StatusBarAccessible()
{
    for (QAccessible::Id id : m_panels)
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *StatusBarAccessible::create(const QString &className, QObject *object)
{
    if (className == QLatin1String("StatusBar"))
        if (auto *bar = qobject_cast<StatusBar *>(object))
            return new StatusBarAccessible(bar);
    return nullptr;
}

StatusBar *StatusBarAccessible::bar() const
{
    return static_cast<StatusBar *>(widget());
}

int StatusBarAccessible::childCount() const
{
    return 2;
}

QAccessibleInterface *StatusBarAccessible::child(int index) const
{
    return index == 0 || index == 1 ? QAccessible::accessibleInterface(m_panels[index]) : nullptr;
}

int StatusBarAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (int panel = 0; panel < 2; ++panel)
        if (child && child == QAccessible::accessibleInterface(m_panels[panel]))
            return panel;
    return -1;
}

QAccessibleInterface *StatusBarAccessible::childAt(int x, int y) const
{
    const QPoint pos = bar()->mapFromGlobal(QPoint(x, y));
    for (int panel = 0; panel < 2; ++panel)
        if (bar()->panelRect(panel).contains(pos))
            return child(panel);
    return nullptr;
}
