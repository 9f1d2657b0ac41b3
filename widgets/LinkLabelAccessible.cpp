#include "LinkLabelAccessible.h"

#include "LinkLabel.h"

LinkLabelAccessible::LinkLabelAccessible(LinkLabel *label) : QAccessibleWidget(label, QAccessible::Link)
{
}

QAccessibleInterface *LinkLabelAccessible::create(const QString &className, QObject *object)
{
    if (className == QLatin1String("LinkLabel"))
        if (auto *label = qobject_cast<LinkLabel *>(object))
            return new LinkLabelAccessible(label);
    return nullptr;
}

LinkLabel *LinkLabelAccessible::label() const
{
    return static_cast<LinkLabel *>(widget());
}

QAccessible::State LinkLabelAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.linked = true;
    return s;
}

QString LinkLabelAccessible::text(QAccessible::Text type) const
{
    switch (type) {
    case QAccessible::Name:
        return label()->accessibleName().isEmpty() ? label()->text() : label()->accessibleName();
    case QAccessible::Description:
        return label()->accessibleDescription().isEmpty() ? label()->statusTip() : label()->accessibleDescription();
    default:
        return QAccessibleWidget::text(type);
    }
}

QStringList LinkLabelAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    names.prepend(pressAction());
    return names;
}

void LinkLabelAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction()) {
        if (label()->isEnabled())
            emit label()->clicked();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}
