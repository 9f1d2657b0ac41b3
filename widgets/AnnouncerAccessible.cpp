#include "AnnouncerAccessible.h"

#include "Announcer.h"

AnnouncerAccessible::AnnouncerAccessible(Announcer *announcer) : QAccessibleWidget(announcer, QAccessible::Notification)
{
}

QAccessibleInterface *AnnouncerAccessible::create(const QString &className, QObject *object)
{
    if (className == QLatin1String("Announcer"))
        if (auto *announcer = qobject_cast<Announcer *>(object))
            return new AnnouncerAccessible(announcer);
    return nullptr;
}

QString AnnouncerAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Name)
        return static_cast<Announcer *>(widget())->text();
    return QAccessibleWidget::text(type);
}
