#include "DeferredPage.h"

void DeferredPage::makeContents()
{
    if (m_made)
        return;
    m_made = true;
    // The form sizes the page; a page control that has placed the page already keeps its place.
    const QRect placed = geometry();
    const bool keepPlace = !isWindow() && testAttribute(Qt::WA_Resized);
    createContents();
    if (keepPlace)
        setGeometry(placed);
}

// Made before the page turns visible on screen, so its controls are shown and laid out with it.
// The page control of a window still hidden shows its current page too; that page waits until
// the window is shown.
void DeferredPage::setVisible(bool visible)
{
    if (visible && (isWindow() || parentWidget()->isVisible()))
        makeContents();
    QWidget::setVisible(visible);
}

void DeferredPage::showEvent(QShowEvent *event)
{
    if (!m_made) {
        makeContents();
        for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            child->show();
    }
    QWidget::showEvent(event);
}
