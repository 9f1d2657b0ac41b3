#include "DbGridLines.h"

#include <QStyle>
#include <QStyleOption>
#include <QWidget>

QColor DbGridLines::color(const QWidget *view)
{
    QStyleOption option;
    option.initFrom(view);
    return QColor::fromRgba(QRgb(view->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, view)));
}
