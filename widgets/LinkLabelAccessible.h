#pragma once

#include <QAccessibleWidget>

class LinkLabel;

// A link label as assistive tools see it: a link named by its caption, described by its status tip,
// that their press action opens as a click would.
class LinkLabelAccessible : public QAccessibleWidget
{
public:
    explicit LinkLabelAccessible(LinkLabel *label);

    // The factory for QAccessible::installFactory.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    LinkLabel *label() const;
};
