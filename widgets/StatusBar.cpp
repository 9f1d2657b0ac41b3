#include "StatusBar.h"

#include <QApplication>
#include <QLabel>

namespace {
QLabel *makePanel(QWidget *bar, Qt::Alignment alignment, const QString &description)
{
    auto *panel = new QLabel(bar);
    panel->setTextFormat(Qt::PlainText);
    panel->setForegroundRole(QPalette::ButtonText);
    panel->setAlignment(alignment | Qt::AlignVCenter);
    // The bevel is one pixel wide, two pixels below the bar's top edge and two pixels short of
    // the next panel; the text starts three pixels inside the panel.
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setContentsMargins(0, 2, 2, 0);
    panel->setIndent(2);
    panel->setAccessibleDescription(description);
    return panel;
}
} // namespace

StatusBar::StatusBar(QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    // The system's status-bar font, not the window's Tahoma: fully resolved, so it is not inherited over.
    QFont font = QApplication::font("QStatusBar");
    font.setResolveMask(QFont::AllPropertiesResolved);
    setFont(font);
    m_panels[0] = makePanel(this, Qt::AlignLeft, QStringLiteral("Súgó"));
    m_panels[1] = makePanel(this, Qt::AlignHCenter, QStringLiteral("Dátum és idő"));
}

QString StatusBar::panelText(int panel) const
{
    return panel == 0 || panel == 1 ? m_panels[panel]->text() : QString();
}

// A label tells assistive tools of its new text itself.
void StatusBar::setPanelText(int panel, const QString &text)
{
    if (panel == 0 || panel == 1)
        m_panels[panel]->setText(text);
}

QRect StatusBar::panelRect(int panel) const
{
    if (panel == 0)
        return QRect(0, 0, FirstPanelWidth, height());
    return QRect(FirstPanelWidth, 0, width() - FirstPanelWidth, height());
}

void StatusBar::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    for (int panel = 0; panel < 2; ++panel)
        m_panels[panel]->setGeometry(panelRect(panel));
}
