#include "Hint.h"

#include <QVariant>
#include <QWidget>

QString Hint::shortPart(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString Hint::longPart(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

QString Hint::of(const QObject *object)
{
    return object ? object->property("hint").toString() : QString();
}

QString Hint::inherited(const QWidget *control)
{
    for (const QWidget *w = control; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const QString hint = of(w);
        if (!hint.isEmpty())
            return hint;
    }
    return {};
}

bool Hint::showsToolTip(const QWidget *control)
{
    if (!control)
        return false;
    const QVariant own = control->property("showHint");
    return own.isValid() ? own.toBool() : control->window()->property("showHint").toBool();
}

QString Hint::toolTipOf(const QWidget *control)
{
    return showsToolTip(control) ? shortPart(inherited(control)) : QString();
}
