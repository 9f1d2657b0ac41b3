#include "TitledMessageBox.h"

#include "WindowCentring.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QScreen>
#include <QStyle>

TitledMessageBox::TitledMessageBox(Icon icon, const QString &title, const QString &text, StandardButtons buttons,
                                   QWidget *parent)
    : QMessageBox(icon, title, text, buttons, parent)
{
    // Qt places an owned box over its owner, as the platform does; one without an owner Qt
    // places before it has its size and frame.
    if (!parent)
        m_centring = new WindowCentring(this);
}

int TitledMessageBox::captionWidth() const
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int text = QFontMetrics(font).horizontalAdvance(windowTitle());
    const int bar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return text + 5 * bar;
}

// QMessageBox gives itself a fixed size, as wide as its layout at least, whenever it is shown or
// its layout changes: a strip as wide as the caption needs in its layout makes that size wide
// enough. Qt then places the box with its final size. The strip goes with the layout whenever
// QMessageBox builds a new one.
void TitledMessageBox::makeRoomForCaption()
{
    auto *grid = qobject_cast<QGridLayout *>(layout());
    if (!grid)
        return;
    const QMargins margins = grid->contentsMargins();
    int needed = captionWidth();
    if (const QScreen *s = screen())
        needed = std::min(needed, s->availableGeometry().width());
    needed -= margins.left() + margins.right();
    if (m_roomLayout != grid) {
        m_roomLayout = grid;
        m_room = new QSpacerItem(needed, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
        grid->addItem(m_room, grid->rowCount(), 0, 1, grid->columnCount());
    } else if (m_room->sizeHint().width() != needed) {
        m_room->changeSize(needed, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
        grid->invalidate();
    }
}

bool TitledMessageBox::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest && isVisible())
        makeRoomForCaption();
    return QMessageBox::event(event);
}

void TitledMessageBox::showEvent(QShowEvent *event)
{
    makeRoomForCaption();
    QMessageBox::showEvent(event);
    // Only now has the box its size, and Qt has placed it with that size over its owner. One
    // without an owner is centred again: before the showing, the window was centred with the
    // size it had then.
    if (m_centring)
        m_centring->centreAgain();
}
