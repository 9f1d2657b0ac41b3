#pragma once

#include <QIcon>
#include <QIconEngine>

#include <functional>

// An icon that is made the first time anything asks it for a size, a pixmap or whether it is
// null. A window builds all its buttons' icons up front, but most of them are first painted
// long after the first frame, and some never are.
class DeferredIconEngine : public QIconEngine
{
public:
    using Maker = std::function<QIcon()>;

    explicit DeferredIconEngine(Maker maker);

    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    bool isNull() override;
    QString key() const override;
    QIconEngine *clone() const override;

private:
    const QIcon &made();

    Maker m_maker;
    QIcon m_icon;
};
