#pragma once

#include <QIcon>
#include <QIconEngine>

#include <functional>
#include <vector>

// An icon whose images are made only when something first asks for them. A window builds all
// its buttons' icons up front, but most of them are first painted long after the first frame,
// and some never are; a window icon comes as image files of many sizes, of which most platforms
// ask for one or two.
//
// Two ways to fill it: a maker of the whole icon, run at the first question of any kind; or
// image files of given sizes (addFile), each decoded when its size is first asked for, while the
// sizes themselves are known without decoding anything.
class DeferredIconEngine : public QIconEngine
{
public:
    using Maker = std::function<QIcon()>;

    DeferredIconEngine() = default;
    explicit DeferredIconEngine(Maker maker);

    // Only the normal look comes from files; the other looks are made from it.
    void addFile(const QString &fileName, const QSize &size, QIcon::Mode mode, QIcon::State state) override;

    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    bool isNull() override;
    QString key() const override;
    QIconEngine *clone() const override;

private:
    struct SizedFile
    {
        QString fileName;
        QSize size;
        bool decoded = false;
    };

    const QIcon &made();
    SizedFile *bestFile(const QSize &size);
    void decode(SizedFile &file);

    Maker m_maker;
    std::vector<SizedFile> m_files;
    // Everything made or decoded so far; it also makes the looks no file gives.
    QIcon m_icon;
};
