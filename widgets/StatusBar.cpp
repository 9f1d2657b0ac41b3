#include "StatusBar.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QStyleOption>
#include <QBoxLayout>

namespace {
QLabel *makePanel(QWidget *bar, const QString &name, Qt::Alignment alignment, const QString &description)
{
    auto *panel = new QLabel(bar);
    panel->setObjectName(name);
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
    m_panels[0] = makePanel(this, QStringLiteral("StatusPanel0"), Qt::AlignLeft, QStringLiteral("Súgó"));
    m_panels[1] = makePanel(this, QStringLiteral("StatusPanel1"), Qt::AlignHCenter, QStringLiteral("Dátum és idő"));
    m_panels[0]->setFixedWidth(FirstPanelWidth);
    // Permanent: a message shown on the bar never hides them.
    addPermanentWidget(m_panels[0]);
    addPermanentWidget(m_panels[1], 1);
    joinPanels();
}

// A label tells assistive tools of its new text itself.
void StatusBar::setPanelText(int panel, const QString &text)
{
    if (panel == 0 || panel == 1)
        m_panels[panel]->setText(text);
}

bool StatusBar::event(QEvent *event)
{
    const bool done = QStatusBar::event(event);
    // QStatusBar lays its row out anew when its widgets' height changes, with a gap between them.
    if (event->type() == QEvent::LayoutRequest)
        joinPanels();
    return done;
}

// The bar's face only: the panels draw their own bevels, and the frames some styles draw round a
// status bar's widgets would cross them. No message ever shows beside the panels.
void StatusBar::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
}

// QStatusBar's layout keeps a few pixels round its row of widgets and a gap between them; the
// panels meet and reach the bar's edges. Only the fixed gaps along each box close: the row's
// stretch and its least height stay.
void StatusBar::joinPanels()
{
    closeGaps(layout());
}

void StatusBar::closeGaps(QLayout *layout)
{
    if (!layout)
        return;
    if (layout->spacing() != 0)
        layout->setSpacing(0);
    auto *box = qobject_cast<QBoxLayout *>(layout);
    const bool across = box && (box->direction() == QBoxLayout::LeftToRight || box->direction() == QBoxLayout::RightToLeft);
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        QSpacerItem *gap = item->spacerItem();
        const int length = gap ? (across ? gap->sizeHint().width() : gap->sizeHint().height()) : 0;
        if (gap && length > 0 && !(gap->expandingDirections() & (across ? Qt::Horizontal : Qt::Vertical))) {
            gap->changeSize(0, 0, across ? QSizePolicy::Fixed : QSizePolicy::Minimum,
                            across ? QSizePolicy::Minimum : QSizePolicy::Fixed);
            layout->invalidate();
        } else if (item->layout()) {
            closeGaps(item->layout());
        }
    }
}
