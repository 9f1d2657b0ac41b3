#pragma once

#include <QAccessibleWidget>

class Announcer;

// An announcer as assistive tools see it: a notification named by its last announcement.
class AnnouncerAccessible : public QAccessibleWidget
{
public:
    explicit AnnouncerAccessible(Announcer *announcer);

    // The factory for QAccessible::installFactory.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    QString text(QAccessible::Text type) const override;
};
