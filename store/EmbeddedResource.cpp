#include "EmbeddedResource.h"

#include <QDirIterator>
#include <QResource>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
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
    // Both mechanisms map the bytes with the image. Where the kernel allows, the whole pages they
    // fill are handed back: they are the image file's, unchanged, and read from it again should
    // anyone look at them once more.
#ifdef Q_OS_LINUX
    const qsizetype page = qsizetype(sysconf(_SC_PAGESIZE));
    if (m_data && page > 0) {
        // From the first page boundary in the bytes to the last one.
        const qsizetype head = (page - qsizetype(quintptr(m_data) % quintptr(page))) % page;
        const qsizetype length = (m_size - head) / page * page;
        if (length > 0)
            madvise(const_cast<char *>(m_data + head), size_t(length), MADV_DONTNEED);
    }
#endif
    m_data = nullptr;
    m_size = 0;
}
