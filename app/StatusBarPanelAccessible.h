#pragma once

#include <QAccessibleInterface>
#include <QPointer>

class StatusBar;

// One text panel of the status bar: static text named by what the panel shows now, described
// by what the panel is for.
class StatusBarPanelAccessible : public QAccessibleInterface
{
public:
    StatusBarPanelAccessible(StatusBar *bar, int panel);

    int panel() const { return m_panel; }

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text type, const QString &text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

private:
    QPointer<StatusBar> m_bar;
    int m_panel;
};
