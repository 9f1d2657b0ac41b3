#include "FixtureDb.h"

#include "PoemTableSql.h"

#include <QFile>
#include <sqlite3.h>
#include <stdexcept>

namespace {
const char *const Schema = PoemTableSql::CreateStatement;

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}
} // namespace

QString FixtureDb::createWithTitles(const QString &path, const QStringList &titles, const QStringList &texts)
{
    QFile::remove(path);
    sqlite3 *db = nullptr;
    check(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
          db, "open");
    check(sqlite3_exec(db, Schema, nullptr, nullptr, nullptr), db, "schema");
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO tbl_Data(CIM, VERS, AZ) VALUES(?, ?, ?)", -1, &st, nullptr), db,
          "prepare");
    for (int i = 0; i < titles.size(); ++i) {
        const QByteArray title = titles.at(i).toUtf8();
        const QByteArray text = (i < texts.size() ? texts.at(i)
                                                  : titles.at(i) + QStringLiteral("\r\n\r\nVers %1. sora").arg(i + 1))
                                    .toUtf8();
        sqlite3_bind_text(st, 1, title.constData(), int(title.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 3, i + 1);
        check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
    return path;
}

QString FixtureDb::create(const QString &path, int rows)
{
    QStringList titles;
    for (int i = 1; i <= rows; ++i)
        titles << QStringLiteral("Cím %1").arg(i);
    return createWithTitles(path, titles);
}

QString FixtureDb::shippedDatabase()
{
    return QStringLiteral(TORNEVI_SOURCE_DIR "/resources/Tornevi.db");
}
