#include "TitledMessageBox.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QScreen>
#include <QStyle>

int TitledMessageBox::captionWidth() const
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int text = QFontMetrics(font).horizontalAdvance(windowTitle());
    const int bar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return text + 5 * bar;
}

// QMessageBox gives itself a fixed size whenever it is shown or its layout changes; the width
// is widened after it, never narrowed, on both sides alike so that the box keeps its centre.
void TitledMessageBox::fitCaption()
{
    int needed = captionWidth();
    if (const QScreen *s = screen())
        needed = std::min(needed, s->availableGeometry().width());
    const int grow = needed - width();
    if (grow <= 0)
        return;
    setFixedWidth(needed);
    move(x() - grow / 2, y());
}

bool TitledMessageBox::event(QEvent *event)
{
    const bool result = QMessageBox::event(event);
    if (event->type() == QEvent::LayoutRequest && isVisible())
        fitCaption();
    return result;
}

void TitledMessageBox::showEvent(QShowEvent *event)
{
    QMessageBox::showEvent(event);
    fitCaption();
}
