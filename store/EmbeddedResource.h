#pragma once

#include <QByteArrayView>
#include <QString>

// A raw-data item carried inside the executable, found by name without regard to case.
// On Windows it is an RCDATA resource of the executable; elsewhere it is an uncompressed entry
// under ":/RCDATA" of Qt's resource system. An executable built without it simply lacks it.
class EmbeddedResource
{
public:
    static EmbeddedResource find(const QString &name);

    bool isValid() const { return m_data != nullptr; }
    QByteArrayView bytes() const { return {m_data, m_size}; }
    // Forgets the bytes; the pages they filled in memory are handed back where the system allows.
    void release();

private:
    const char *m_data = nullptr;
    qsizetype m_size = 0;
};
