#include "PoemQuery.h"

#include "DbActivity.h"
#include "SqliteConnection.h"
#include "SqliteStatement.h"

#include <sqlite3.h>

#include <optional>

namespace {
enum FieldKind { Dynamic, Integer, Text, Blob };

FieldKind kindOf(const char *declaredType)
{
    if (!declaredType)
        return Dynamic;
    const QByteArray type = QByteArray(declaredType).toUpper();
    if (type.contains("INT"))
        return Integer;
    if (type.contains("BLOB"))
        return Blob;
    return Text;
}

// Fetched texts lose their trailing blanks and control characters; an empty text stays empty.
// Those characters are single bytes in UTF-8, so the bytes can be cut before any conversion.
QByteArray trimmedRight(const char *data, int bytes)
{
    while (bytes > 0 && static_cast<unsigned char>(data[bytes - 1]) < 0x21)
        --bytes;
    return QByteArray(data, bytes);
}

QByteArray readText(sqlite3_stmt *stmt, int column)
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    if (!data)
        return QByteArray("");
    return trimmedRight(data, sqlite3_column_bytes(stmt, column));
}
} // namespace

PoemQuery::PoemQuery(SqliteConnection &connection, QObject *parent)
    : QObject(parent), m_connection(connection)
{
}

PoemQuery::~PoemQuery() = default;

QString PoemQuery::statementText() const
{
    return m_sql.join(QStringLiteral("\r\n"));
}

void PoemQuery::clearSql()
{
    m_sql.clear();
}

void PoemQuery::addSql(const QString &line)
{
    m_sql.append(line);
}

bool PoemQuery::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool PoemQuery::open()
{
    if (m_open)
        return true;
    m_error.clear();
    if (!m_connection.open())
        return fail(m_connection.errorString());
    DbActivity::Scope busy;
    m_statement = std::make_unique<SqliteStatement>(m_connection.handle(), statementText());
    std::optional<int> count;
    if (m_statement->isValid()) {
        sqlite3_stmt *stmt = m_statement->handle();
        const int columns = m_statement->columnCount();
        for (int c = 0; c < columns; ++c) {
            m_fieldNames.append(QString::fromUtf8(sqlite3_column_name(stmt, c)));
            m_fieldKinds.push_back(kindOf(sqlite3_column_decltype(stmt, c)));
        }
        m_exhausted = false;
        m_failed = false;
        if (fetchBatch())
            count = countRows();
    } else {
        m_error = m_statement->errorString();
    }
    if (!count) {
        m_statement.reset();
        m_fieldNames.clear();
        m_fieldKinds.clear();
        m_rows.clear();
        return false;
    }
    emit stateAboutToChange();
    m_open = true;
    m_recordCount = *count;
    emit stateChanged(true);
    return true;
}

void PoemQuery::close() noexcept
{
    if (!m_open)
        return;
    emit stateAboutToChange();
    m_statement.reset();
    m_rows.clear();
    m_fieldNames.clear();
    m_fieldKinds.clear();
    m_open = false;
    m_recordCount = 0;
    emit stateChanged(false);
}

std::optional<int> PoemQuery::countRows()
{
    const QString text = QStringLiteral("SELECT COUNT(*) FROM (\r\n") + statementText() + QStringLiteral("\r\n) A");
    SqliteStatement count(m_connection.handle(), text);
    if (count.step())
        return int(sqlite3_column_int64(count.handle(), 0));
    if (!count.errorString().isEmpty() || !count.isValid()) {
        m_error = count.errorString();
        return std::nullopt;
    }
    return 0;
}

PoemQuery::Row PoemQuery::readRow() const
{    sqlite3_stmt *stmt = m_statement->handle();
    Row row;
    row.reserve(m_fieldKinds.size());
    for (int c = 0; c < int(m_fieldKinds.size()); ++c) {
        const int type = sqlite3_column_type(stmt, c);
        if (type == SQLITE_NULL) {
            row.push_back({});
            continue;
        }
        switch (m_fieldKinds[c]) {
        case Integer:
            row.push_back({int(sqlite3_column_int64(stmt, c))});
            break;
        case Text:
            row.push_back({readText(stmt, c), true});
            break;
        case Blob:
            row.push_back({QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, c)),
                                      sqlite3_column_bytes(stmt, c))});
            break;
        case Dynamic:
            if (type == SQLITE_INTEGER)
                row.push_back({qlonglong(sqlite3_column_int64(stmt, c))});
            else if (type == SQLITE_FLOAT)
                row.push_back({sqlite3_column_double(stmt, c)});
            else if (type == SQLITE_BLOB)
                row.push_back({QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, c)),
                                          sqlite3_column_bytes(stmt, c))});
            else
                row.push_back({readText(stmt, c), true});
            break;
        }
    }
    return row;
}

bool PoemQuery::fetchBatch()
{
    if (m_exhausted || !m_statement)
        return true;
    DbActivity::Scope busy;
    for (int i = 0; i < BatchSize; ++i) {
        if (!m_statement->step()) {
            m_exhausted = true;
            m_statement->finish();
            if (m_statement->errorString().isEmpty())
                return true;
            // After an error SQLite would restart the statement from its first row, so the
            // result ends with the rows read before it.
            m_failed = true;
            return fail(m_statement->errorString());
        }
        m_rows.push_back(readRow());
    }
    return true;
}

bool PoemQuery::fetchUpTo(int count)
{
    while (fetchedCount() < count && !m_exhausted && m_statement)
        if (!fetchBatch())
            return false;
    return true;
}

int PoemQuery::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fieldNames.size(); ++i)
        if (m_fieldNames.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant PoemQuery::value(int row, int field) const
{
    if (!m_open || field < 0 || field >= int(m_fieldKinds.size()) || row < 0 || row >= fetchedCount())
        return {};
    return valueOf(m_rows[row][field]);
}

QVariant PoemQuery::valueOf(const Cell &cell)
{
    if (!cell.utf8Text)
        return cell.value;
    const QByteArray bytes = cell.value.toByteArray();
    // An empty text reads as empty, not as NULL.
    return bytes.isEmpty() ? QString(QLatin1String("")) : QString::fromUtf8(bytes);
}
