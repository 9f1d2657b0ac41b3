#pragma once

#include <QString>

class QObject;
class QWidget;

// The hint convention of every control and menu item: the dynamic property "hint" holds
// "short|long" (a hint without "|" is both parts); the dynamic bool property "showHint" switches
// the tooltip on for one control, and a control without it takes its window's setting.
class Hint
{
public:
    static QString shortPart(const QString &hint);
    static QString longPart(const QString &hint);

    // The object's own hint, empty when it carries none.
    static QString of(const QObject *object);
    // The hint of the control, or of its nearest parent that has one, up to its window.
    static QString inherited(const QWidget *control);
    static bool showsToolTip(const QWidget *control);
    // What the control's tooltip shows: the short part of its hint, or nothing when its switch is off.
    static QString toolTipOf(const QWidget *control);
};
