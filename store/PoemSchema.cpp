#include "PoemSchema.h"

#include "PoemTableSql.h"
#include "SqliteStatement.h"

#include <QByteArray>
#include <QtEndian>

#include <sqlite3.h>

#include <cstring>
#include <memory>

const QString &PoemSchema::tableDefinition()
{
    static const QString definition = QString::fromUtf8(PoemTableSql::CreateStatement);
    return definition;
}

bool PoemSchema::definesPoemTable(QByteArrayView fileStart)
{
    static const char Magic[16] = "SQLite format 3";
    constexpr qsizetype HeaderSize = 100;
    if (fileStart.size() < HeaderSize || std::memcmp(fileStart.data(), Magic, sizeof Magic) != 0)
        return false;
    qsizetype pageSize = qFromBigEndian<quint16>(fileStart.data() + 16);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0 || fileStart.size() < pageSize)
        return false;

    // The schema begins on page 1 and names the table's first page, which must be there too.
    // SQLite calls a file damaged when its header promises more pages than it holds, so the
    // whole pages at hand go in as a database of just that many pages.
    const qsizetype pages = fileStart.size() / pageSize;
    const qsizetype size = pages * pageSize;
    auto *page = static_cast<unsigned char *>(sqlite3_malloc64(sqlite3_uint64(size)));
    if (!page)
        return false;
    std::memcpy(page, fileStart.data(), size_t(size));
    qToBigEndian<quint32>(quint32(pages), page + 28);

    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    if (rc != SQLITE_OK) {
        sqlite3_free(page);
        return false;
    }
    // From here SQLite owns the page and frees it with the connection.
    if (sqlite3_deserialize(db.get(), "main", page, size, size,
                            SQLITE_DESERIALIZE_READONLY | SQLITE_DESERIALIZE_FREEONCLOSE)
        != SQLITE_OK)
        return false;
    // A damaged or foreign first page fails to prepare or to step: it is simply not ours.
    SqliteStatement find(db.get(), QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = 'tbl_Data'"));
    if (!find.step())
        return false;
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(find.handle(), 0));
    return text && QString::fromUtf8(text) == tableDefinition();
}
