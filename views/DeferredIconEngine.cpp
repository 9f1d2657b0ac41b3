#include "DeferredIconEngine.h"

#include <QPainter>
#include <QPixmap>

DeferredIconEngine::DeferredIconEngine(Maker maker) : m_maker(std::move(maker)) {}

const QIcon &DeferredIconEngine::made()
{
    if (m_maker) {
        m_icon = m_maker();
        m_maker = nullptr;
    }
    return m_icon;
}

// The outer icon has already scaled the request to device pixels; the made icon must not again.
QPixmap DeferredIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return made().pixmap(size, 1.0, mode, state);
}

QSize DeferredIconEngine::actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return pixmap(size, mode, state).size();
}

void DeferredIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state)
{
    made().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QList<QSize> DeferredIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    return made().availableSizes(mode, state);
}

bool DeferredIconEngine::isNull()
{
    return made().isNull();
}

QString DeferredIconEngine::key() const
{
    return QStringLiteral("DeferredIconEngine");
}

QIconEngine *DeferredIconEngine::clone() const
{
    return new DeferredIconEngine(*this);
}
