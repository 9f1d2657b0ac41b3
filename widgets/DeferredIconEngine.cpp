#include "DeferredIconEngine.h"

#include "PngResource.h"

#include <QPainter>
#include <QPixmap>

DeferredIconEngine::DeferredIconEngine(Maker maker) : m_maker(std::move(maker)) {}

void DeferredIconEngine::addFile(const QString &fileName, const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    if (mode != QIcon::Normal || state != QIcon::Off || fileName.isEmpty() || !size.isValid())
        return;
    m_files.push_back({fileName, size});
}

const QIcon &DeferredIconEngine::made()
{
    if (m_maker) {
        m_icon = m_maker();
        m_maker = nullptr;
    }
    return m_icon;
}

// As QIcon itself chooses: the smallest size that covers the request, else the largest there is.
DeferredIconEngine::SizedFile *DeferredIconEngine::bestFile(const QSize &size)
{
    const auto area = [](const QSize &s) { return qint64(s.width()) * s.height(); };
    SizedFile *covering = nullptr;
    SizedFile *largest = nullptr;
    for (SizedFile &file : m_files) {
        if (area(file.size) >= area(size) && (!covering || area(file.size) < area(covering->size)))
            covering = &file;
        if (!largest || area(file.size) > area(largest->size))
            largest = &file;
    }
    return covering ? covering : largest;
}

void DeferredIconEngine::decode(SizedFile &file)
{
    if (file.decoded)
        return;
    file.decoded = true;
    const QPixmap image = QPixmap::fromImage(PngResource::read(file.fileName));
    if (!image.isNull())
        m_icon.addPixmap(image);
}

// The outer icon has already scaled the request to device pixels; the made icon must not again.
// The best file is decoded by now, so the made icon picks it and scales it down as needed.
QPixmap DeferredIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    made();
    if (SizedFile *file = bestFile(size))
        decode(*file);
    return m_icon.pixmap(size, 1.0, mode, state);
}

// A file's size is known without decoding it.
QSize DeferredIconEngine::actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    if (const SizedFile *file = bestFile(size))
        return file->size.scaled(size, Qt::KeepAspectRatio).boundedTo(file->size);
    return pixmap(size, mode, state).size();
}

void DeferredIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state)
{
    made();
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    if (SizedFile *file = bestFile(rect.size() * ratio))
        decode(*file);
    m_icon.paint(painter, rect, Qt::AlignCenter, mode, state);
}

// The files' sizes first, in the order they were added, then any other size made.
QList<QSize> DeferredIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    QList<QSize> sizes;
    for (const SizedFile &file : m_files)
        sizes.append(file.size);
    for (const QSize &size : made().availableSizes(mode, state)) {
        if (!sizes.contains(size))
            sizes.append(size);
    }
    return sizes;
}

bool DeferredIconEngine::isNull()
{
    return m_files.empty() && made().isNull();
}

QString DeferredIconEngine::key() const
{
    return QStringLiteral("DeferredIconEngine");
}

QIconEngine *DeferredIconEngine::clone() const
{
    return new DeferredIconEngine(*this);
}
