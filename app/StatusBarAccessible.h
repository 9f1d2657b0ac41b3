#pragma once

#include <QAccessibleWidget>

class StatusBar;

// The status bar for assistive tools: a status bar whose two children are its text panels.
class StatusBarAccessible : public QAccessibleWidget
{
public:
    explicit StatusBarAccessible(StatusBar *bar);
    ~StatusBarAccessible() override;

    // The factory for QAccessible::installFactory.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    StatusBar *bar() const;

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

private:
    QAccessible::Id m_panels[2] = {};
};
