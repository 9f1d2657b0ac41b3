#pragma once

#include <QByteArrayView>
#include <QString>

// A raw-data item carried inside the executable, found by name without regard to case.
// On Windows it is a resource of the executable; elsewhere the item's object file registers
// its bytes when the program loads, so an executable built without it simply lacks it.
class EmbeddedResource
{
public:
    static EmbeddedResource find(const QString &name);

    bool isValid() const { return m_data != nullptr; }
    QByteArrayView bytes() const { return {m_data, m_size}; }
    void release();

    // Used by the generated item files of the portable build.
    static bool registerItem(const char *name, const char *data, qsizetype size);

private:
    const char *m_data = nullptr;
    qsizetype m_size = 0;
};
