#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QSize>
#include <QString>

#include <vector>

// An icon made of image files, one per size, that decodes a file only when a size is first asked
// for: QIcon::addFile decodes every size at once, and the big ones cost start-up time that most
// platforms never spend on them.
class LazyIconEngine : public QIconEngine
{
public:
    LazyIconEngine() = default;

    void addFile(const QString &fileName, const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    bool isNull() override;
    QString key() const override;
    QIconEngine *clone() const override;

private:
    struct Entry
    {
        QString fileName;
        QSize size;
        bool loaded = false;
    };
    Entry *bestEntry(const QSize &size);

    std::vector<Entry> m_entries;
    // Holds the sizes decoded so far; it also makes the disabled and selected looks.
    QIcon m_decoded;
};
