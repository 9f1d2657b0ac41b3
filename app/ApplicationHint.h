#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>

class QAction;
class QMenuBar;
class QWidget;

// The one application hint of the program: the long part of the hint of the control under the
// mouse pointer (or of its nearest parent with one), or of the highlighted menu item. It is
// worked out whenever the event loop is about to wait, and `changed` is emitted only when its
// text changes. The same object shows the tooltips of the controls whose switch is on.
//
// A hint is the tooltip (short part) and status tip (long part) of a widget or menu item. Qt's
// own status-tip events are not used: they skip disabled controls and parents' hints and follow
// enter events rather than the idle moments of the loop.
class ApplicationHint : public QObject
{
    Q_OBJECT
public:
    static constexpr int ToolTipDelayMs = 500;
    static constexpr int ToolTipShowMs = 2500;

    explicit ApplicationHint(QObject *parent = nullptr);
    ~ApplicationHint() override;

    // The menu bar whose highlighted item (top-level item included) gives the hint.
    void followMenuBar(QMenuBar *menuBar);

    // One idle pass; the event loop runs it each time it is about to wait. It does nothing
    // unless the pointer moved, the menu's highlight changed or a modal window is up, and nothing
    // while a message box is open.
    void idle();

signals:
    void changed(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static QWidget *controlAt(const QPoint &globalPos);
    static QWidget *controlUnderPointer();
    static bool messageBoxOpen();
    QAction *highlightedMenuItem(bool *open) const;
    static QString itemHint(const QAction *item);   // the long part
    void setText(const QString &text);
    void menuClosed();
    void followPointer(const QPoint &pos);
    void showToolTip();

    QString m_text;
    QPointer<QMenuBar> m_menuBar;
    bool m_menuOpen = false;
    QAction *m_menuItem = nullptr;
    bool m_pointerMoved = true;
    QPoint m_pointerPos;
    QPointer<QWidget> m_control;
    QTimer m_toolTipDelay;
    QPointer<QWidget> m_toolTipControl;
};
