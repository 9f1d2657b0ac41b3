// Any phrase without U+0000 must give one whole, read-only SELECT over tbl_Data whose three
// LIKE patterns are the phrase wrapped in "%", finding exactly the rows that the same LIKE finds
// with the pattern bound as a parameter, on the shipped database; the only failure allowed is
// SQLite's refusal of a pattern over its 50,000-byte limit.
//
// Input: byte 0 holds flags (bit 0: the rest is UTF-16, else UTF-8; bits 1 to 3 all set: stretch
// the phrase to a pattern within a few bytes of the limit, byte 1 then says how far from it;
// such inputs cost a hundred times more, so they are kept rare).
#include "FixtureDb.h"
#include "PoemQuery.h"
#include "SearchStatement.h"
#include "SqliteConnection.h"
#include "SqliteStatement.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr int LikePatternLimit = 50000;   // SQLite's fixed limit, in UTF-8 bytes
const char *const TooComplex = "LIKE or GLOB pattern too complex";
const char *const Reference = "SELECT AZ FROM tbl_Data WHERE CIM LIKE ?1 OR DATUM LIKE ?1 OR VERS LIKE ?1";

struct Fixture
{
    QTemporaryDir dir;
    SqliteConnection connection;
    PoemQuery query{connection};
    sqlite3_stmt *reference = nullptr;
    int tableRoot = 0;
    QByteArray loneSurrogateUtf8;   // what a lone surrogate becomes in UTF-8
};

Fixture *fixture = nullptr;
const QString *current = nullptr;   // the phrase under test, for the report

[[noreturn]] void fail(const std::string &what)
{
    const QString phrase = current ? *current : QString();
    const QByteArray utf8 = phrase.toUtf8();
    QByteArray units;
    for (int i = 0; i < phrase.size() && i < 40; ++i)
        units += QByteArray::number(phrase.at(i).unicode(), 16) + ' ';
    std::fprintf(stderr, "fuzz_SearchStatement: %s\n  phrase: %d UTF-16 units: %s...\n  as UTF-8: %.300s\n",
                 what.c_str(), int(phrase.size()), units.constData(), utf8.constData());
    std::abort();
}

void check(int rc, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        fail(std::string(what) + ": " + sqlite3_errmsg(fixture->connection.handle()));
}

// Bytes of one UTF-16 unit (or pair) once converted to UTF-8 the way the store converts.
int utf8Bytes(const QString &text, int &i)
{
    const char16_t u = text.at(i).unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
        ++i;
        return 4;
    }
    if (QChar::isSurrogate(u))
        return int(fixture->loneSurrogateUtf8.size());
    return u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
}

// The phrase repeated until "%" + phrase + "%" is as long as it can be without passing target.
QString stretched(const QString &seed, int target)
{
    QString text;
    int bytes = 2;
    for (int i = 0;; i = (i + 1) % int(seed.size())) {
        int j = i;
        const int more = utf8Bytes(seed, j);
        if (bytes + more > target)
            return text;
        text += seed.mid(i, j - i + 1);
        bytes += more;
        i = j;
    }
}

// SQLite's own reading of the statement: one table read, three LIKE calls, three literals.
void checkProgram(const QString &statement, const QByteArray &pattern)
{
    SqliteStatement explain(fixture->connection.handle(), QStringLiteral("EXPLAIN ") + statement);
    if (!explain.isValid())
        fail("EXPLAIN failed: " + explain.errorString().toStdString());
    int reads = 0, likes = 0, literals = 0;
    while (explain.step()) {
        sqlite3_stmt *s = explain.handle();
        const std::string opcode = reinterpret_cast<const char *>(sqlite3_column_text(s, 1));
        const char *p4 = reinterpret_cast<const char *>(sqlite3_column_text(s, 5));
        if (opcode == "OpenRead") {
            ++reads;
            if (sqlite3_column_int(s, 3) != fixture->tableRoot)
                fail("the statement reads another table");
        } else if (opcode == "OpenWrite") {
            fail("the statement writes");
        } else if (opcode == "Function") {
            if (!p4 || std::strcmp(p4, "like(2)") != 0)
                fail(std::string("the statement calls ") + (p4 ? p4 : "?"));
            ++likes;
        } else if (opcode == "String8") {
            ++literals;
            const QByteArray literal(p4 ? p4 : "", sqlite3_column_bytes(s, 5));
            if (literal != pattern)
                fail("a literal reads \"" + literal.left(300).toStdString() + "\"");
        }
    }
    if (reads != 1 || likes != 3 || literals != 3)
        fail("the statement has " + std::to_string(reads) + " table reads, " + std::to_string(likes)
             + " LIKE calls and " + std::to_string(literals) + " literals");
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fixture = new Fixture;
    std::atexit([] {
        sqlite3_finalize(fixture->reference);
        delete fixture;
        fixture = nullptr;
    });
    const QString copy = fixture->dir.filePath(QStringLiteral("Tornevi.db"));
    if (!fixture->dir.isValid() || !QFile::copy(FixtureDb::shippedDatabase(), copy)
        || !QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner)) {
        std::fprintf(stderr, "fuzz_SearchStatement: cannot copy the shipped database\n");
        std::abort();
    }
    fixture->connection.setDatabase(QFile::encodeName(copy));
    if (!fixture->connection.open()) {
        std::fprintf(stderr, "fuzz_SearchStatement: %s\n", qPrintable(fixture->connection.errorString()));
        std::abort();
    }
    sqlite3 *db = fixture->connection.handle();
    check(sqlite3_prepare_v2(db, Reference, -1, &fixture->reference, nullptr), "reference");
    sqlite3_stmt *root = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_schema WHERE name = 'tbl_Data'", -1, &root, nullptr),
          "schema");
    check(sqlite3_step(root), "schema");
    fixture->tableRoot = sqlite3_column_int(root, 0);
    sqlite3_finalize(root);
    fixture->loneSurrogateUtf8 = QString(QChar(0xD800)).toUtf8();
    return 0;
}

namespace {
// Every check on one phrase.
void search(QString phrase)
{
    current = &phrase;
    const QString statement = SearchStatement::forPhrase(phrase);
    const QByteArray pattern = '%' + phrase.toUtf8() + '%';
    const bool tooLong = pattern.size() > LikePatternLimit;
    sqlite3 *db = fixture->connection.handle();

    // Prepared whole, the way the store prepares every statement: Qt's UTF-8, then SQLite.
    const QByteArray text = statement.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, &tail);
    const bool whole = tail == text.constData() + text.size();
    const bool select = stmt && sqlite3_stmt_readonly(stmt) && sqlite3_column_count(stmt) == 5
                        && std::strcmp(sqlite3_column_name(stmt, 4), "AZ") == 0;
    sqlite3_finalize(stmt);
    if (rc != SQLITE_OK || !stmt)
        fail(std::string("the statement does not prepare: ") + sqlite3_errmsg(db));
    if (!whole)
        fail("text is left after the statement");
    if (!select)
        fail("not a read-only SELECT of the poem columns");
    checkProgram(statement, pattern);

    // The reference: the same LIKE with the pattern bound, so no quoting is involved.
    std::vector<int> expected;
    std::string referenceError;
    check(sqlite3_bind_text(fixture->reference, 1, pattern.constData(), int(pattern.size()), SQLITE_STATIC), "bind");
    int step;
    while ((step = sqlite3_step(fixture->reference)) == SQLITE_ROW)
        expected.push_back(sqlite3_column_int(fixture->reference, 0));
    if (step != SQLITE_DONE)
        referenceError = sqlite3_errmsg(db);
    sqlite3_reset(fixture->reference);
    sqlite3_clear_bindings(fixture->reference);
    if (referenceError != (tooLong ? TooComplex : ""))
        fail("pattern of " + std::to_string(pattern.size()) + " bytes: the reference answers \"" + referenceError
             + "\"");

    // The statement run by the poem query, which counts the rows and fetches them in batches.
    PoemQuery &q = fixture->query;
    q.close();
    q.clearSql();
    q.addSql(statement);
    if (!q.open()) {
        if (!tooLong || q.errorString() != QLatin1String(TooComplex))
            fail("the poem query fails: " + q.errorString().toStdString());
        if (q.isOpen() || q.recordCount() != 0)
            fail("a failed search leaves the query open");
        current = nullptr;
        return;
    }
    if (tooLong)
        fail("the poem query opens with a pattern of " + std::to_string(pattern.size()) + " bytes");
    if (q.recordCount() != int(expected.size()))
        fail("the poem query counts " + std::to_string(q.recordCount()) + " rows");
    if (!q.fetchUpTo(q.recordCount()))
        fail("the poem query fails to fetch: " + q.errorString().toStdString());
    const int key = q.fieldIndex(QStringLiteral("AZ"));
    for (int row = 0; row < q.recordCount(); ++row)
        if (q.value(row, key).toInt() != expected[row])
            fail("row " + std::to_string(row + 1) + " of the poem query differs");
    // The rows go with the input: libFuzzer takes anything left for a leak and checks for one.
    q.close();
    current = nullptr;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const bool utf16 = data[0] & 1;
    const bool stretch = (data[0] & 0x0E) == 0x0E;
    int target = 0;
    ++data, --size;
    if (stretch) {
        if (size < 1)
            return 0;
        target = LikePatternLimit + int(data[0] % 17) - 8;
        ++data, --size;
    }
    QString phrase;
    if (utf16) {
        std::u16string units(size / 2, u'\0');
        std::memcpy(units.data(), data, units.size() * 2);
        phrase = QString::fromStdU16String(units);
    } else {
        phrase = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    }
    if (phrase.contains(QChar(0)))
        return 0;
    if (stretch && !phrase.isEmpty())
        phrase = stretched(phrase, target);

    search(phrase);
    return 0;
}
