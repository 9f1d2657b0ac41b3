#include "EmbeddedResource.h"

#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
struct Item
{
    const char *name;
    const char *data;
    qsizetype size;
};

std::vector<Item> &registry()
{
    static std::vector<Item> items;
    return items;
}
} // namespace

bool EmbeddedResource::registerItem(const char *name, const char *data, qsizetype size)
{
    registry().push_back({name, data, size});
    return true;
}

EmbeddedResource EmbeddedResource::find(const QString &name)
{
    EmbeddedResource resource;
#ifdef Q_OS_WIN
    const auto wname = reinterpret_cast<LPCWSTR>(name.utf16());
    if (HRSRC info = FindResourceW(nullptr, wname, MAKEINTRESOURCEW(10))) {
        HGLOBAL handle = LoadResource(nullptr, info);
        const void *data = handle ? LockResource(handle) : nullptr;
        if (data) {
            resource.m_data = static_cast<const char *>(data);
            resource.m_size = qsizetype(SizeofResource(nullptr, info));
        }
        return resource;
    }
#endif
    for (const Item &item : registry()) {
        if (name.compare(QLatin1String(item.name), Qt::CaseInsensitive) == 0) {
            resource.m_data = item.data;
            resource.m_size = item.size;
            break;
        }
    }
    return resource;
}

void EmbeddedResource::release()
{
    // Both mechanisms map the bytes with the image; releasing only forgets them.
    m_data = nullptr;
    m_size = 0;
}
