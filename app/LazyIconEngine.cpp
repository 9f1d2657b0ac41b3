#include "LazyIconEngine.h"

#include "PngResource.h"

#include <QPainter>
#include <QPixmap>

void LazyIconEngine::addFile(const QString &fileName, const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    // Only the normal look is drawn from files; the others are made from it.
    if (mode != QIcon::Normal || state != QIcon::Off || fileName.isEmpty() || !size.isValid())
        return;
    m_entries.push_back({fileName, size});
}

QList<QSize> LazyIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    QList<QSize> sizes;
    for (const Entry &entry : m_entries)
        sizes.append(entry.size);
    return sizes;
}

// As QIcon itself chooses: the smallest size that covers the request, else the largest there is.
LazyIconEngine::Entry *LazyIconEngine::bestEntry(const QSize &size)
{
    Entry *covering = nullptr;
    Entry *largest = nullptr;
    const qint64 wanted = qint64(size.width()) * size.height();
    for (Entry &entry : m_entries) {
        const qint64 area = qint64(entry.size.width()) * entry.size.height();
        if (area >= wanted && (!covering || area < qint64(covering->size.width()) * covering->size.height()))
            covering = &entry;
        if (!largest || area > qint64(largest->size.width()) * largest->size.height())
            largest = &entry;
    }
    return covering ? covering : largest;
}

QSize LazyIconEngine::actualSize(const QSize &size, QIcon::Mode, QIcon::State)
{
    const Entry *entry = bestEntry(size);
    if (!entry)
        return {};
    return entry->size.scaled(size, Qt::KeepAspectRatio).boundedTo(entry->size);
}

QPixmap LazyIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    Entry *entry = bestEntry(size);
    if (!entry)
        return {};
    if (!entry->loaded) {
        entry->loaded = true;
        const QPixmap decoded = QPixmap::fromImage(PngResource::read(entry->fileName));
        if (!decoded.isNull())
            m_decoded.addPixmap(decoded);
    }
    // The decoded set holds the best size by now, so QIcon picks it and scales it down as needed.
    return m_decoded.pixmap(size, mode, state);
}

void LazyIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state)
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QPixmap image = pixmap(rect.size() * ratio, mode, state);
    if (image.isNull())
        return;
    QSize shown = image.size() / ratio;
    shown = shown.scaled(rect.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(), shown);
    target.moveCenter(rect.center());
    painter->drawPixmap(target, image);
}

bool LazyIconEngine::isNull()
{
    return m_entries.empty();
}

QString LazyIconEngine::key() const
{
    return QStringLiteral("LazyIconEngine");
}

QIconEngine *LazyIconEngine::clone() const
{
    return new LazyIconEngine(*this);
}
