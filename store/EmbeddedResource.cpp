#include "EmbeddedResource.h"

#include <QDirIterator>
#include <QResource>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
const QString ItemFolder = QStringLiteral(":/RCDATA");
}

EmbeddedResource EmbeddedResource::find(const QString &name)
{
    EmbeddedResource resource;
    if (name.isEmpty())
        return resource;
#ifdef Q_OS_WIN
    // Windows compares resource names without regard to case itself.
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
    for (QDirIterator it(ItemFolder, QDir::Files); it.hasNext();) {
        it.next();
        if (it.fileName().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // A compressed entry would not be the file's bytes; the build stores the item as it is.
        const QResource item(it.filePath());
        if (item.isValid() && item.compressionAlgorithm() == QResource::NoCompression) {
            resource.m_data = reinterpret_cast<const char *>(item.data());
            resource.m_size = qsizetype(item.size());
        }
        break;
    }
    return resource;
}

void EmbeddedResource::release()
{
    // Both mechanisms map the bytes with the image; releasing only forgets them.
    m_data = nullptr;
    m_size = 0;
}
