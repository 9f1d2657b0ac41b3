#include "StatusBar.h"

#include <QApplication>
#include <QAccessible>
#include <QPainter>
#include <qdrawutil.h>
#include <QStyleOptionFrame>

StatusBar::StatusBar(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    // The system's status-bar font, not the window's Tahoma: fully resolved, so it is not inherited over.
    QFont font = QApplication::font("QStatusBar");
    font.setResolveMask(QFont::AllPropertiesResolved);
    setFont(font);
}

QString StatusBar::panelText(int panel) const
{
    return panel == 0 || panel == 1 ? m_texts[panel] : QString();
}

void StatusBar::setPanelText(int panel, const QString &text)
{
    if ((panel != 0 && panel != 1) || m_texts[panel] == text)
        return;
    m_texts[panel] = text;
    update(panelRect(panel));
    // A screen reader hears the panel's new text as its new name.
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        changed.setChild(panel);
        QAccessible::updateAccessibility(&changed);
    }
}

QRect StatusBar::panelRect(int panel) const
{
    if (panel == 0)
        return QRect(0, 0, FirstPanelWidth, height());
    return QRect(FirstPanelWidth, 0, width() - FirstPanelWidth, height());
}

void StatusBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    for (int panel = 0; panel < 2; ++panel) {
        const QRect r = panelRect(panel).adjusted(0, 2, -2, 0);
        qDrawShadePanel(&painter, r, palette(), true, 1);
        painter.setPen(palette().color(QPalette::ButtonText));
        const Qt::Alignment align = (panel == 0 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
        painter.drawText(r.adjusted(3, 1, -3, -1), int(align), m_texts[panel]);
    }
}
