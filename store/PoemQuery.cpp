#include "PoemQuery.h"

#include "DatabaseError.h"
#include "DbActivity.h"
#include "SqliteConnection.h"
#include "SqliteStatement.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>

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
    : DataSet(parent), m_connection(connection)
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

void PoemQuery::open()
{
    if (isOpen())
        return;
    m_connection.open();
    int recordCount = 0;
    try {
        DbActivity::Scope busy;
        m_statement = std::make_unique<SqliteStatement>(m_connection.handle(), statementText());
        sqlite3_stmt *stmt = m_statement->handle();
        const int columns = m_statement->columnCount();
        for (int c = 0; c < columns; ++c) {
            m_fieldNames.append(QString::fromUtf8(sqlite3_column_name(stmt, c)));
            m_fieldKinds.push_back(kindOf(sqlite3_column_decltype(stmt, c)));
        }
        m_exhausted = false;
        fetchBatch();
        recordCount = countRows();
    } catch (...) {
        m_statement.reset();
        m_fieldNames.clear();
        m_fieldKinds.clear();
        m_rows.clear();
        throw;
    }
    emit stateAboutToChange();
    setState(true, recordCount, m_rows.empty() ? -1 : 0, true, m_rows.empty());
    emit stateChanged(true);
}

void PoemQuery::close() noexcept
{
    if (!isOpen())
        return;
    emit stateAboutToChange();
    m_statement.reset();
    m_rows.clear();
    m_fieldNames.clear();
    m_fieldKinds.clear();
    setState(false, 0, -1, true, true);
    emit stateChanged(false);
}

int PoemQuery::countRows()
{
    const QString text = QStringLiteral("SELECT COUNT(*) FROM (\r\n") + statementText() + QStringLiteral("\r\n) A");
    SqliteStatement count(m_connection.handle(), text);
    if (!count.step())
        return 0;
    return int(sqlite3_column_int64(count.handle(), 0));
}

PoemQuery::Row PoemQuery::readRow() const
{
    sqlite3_stmt *stmt = m_statement->handle();
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

void PoemQuery::fetchBatch()
{
    if (m_exhausted || !m_statement)
        return;
    DbActivity::Scope busy;
    for (int i = 0; i < BatchSize; ++i) {
        bool row = false;
        try {
            row = m_statement->step();
        } catch (...) {
            // After an error SQLite would restart the statement from its first row.
            m_exhausted = true;
            m_statement->finish();
            throw;
        }
        if (!row) {
            m_exhausted = true;
            m_statement->finish();
            return;
        }
        m_rows.push_back(readRow());
    }
}

void PoemQuery::fetchAll()
{
    while (!m_exhausted && m_statement)
        fetchBatch();
}

void PoemQuery::fetchUpTo(int position)
{
    while (int(m_rows.size()) < position && !m_exhausted && m_statement)
        fetchBatch();
}

void PoemQuery::first()
{
    if (!isOpen() || m_rows.empty())
        return;
    moveTo(0, true, false);
}

void PoemQuery::last()
{
    if (!isOpen() || m_rows.empty())
        return;
    fetchAll();
    moveTo(int(m_rows.size()) - 1, false, true);
}

int PoemQuery::moveBy(int distance)
{
    if (!isOpen() || m_rows.empty() || distance == 0)
        return 0;
    if ((distance > 0 && eof()) || (distance < 0 && bof()))
        return 0;
    const int from = currentIndex();
    if (distance > 0) {
        const qint64 wanted = qint64(from) + distance;
        fetchUpTo(int(std::min<qint64>(wanted + 1, INT_MAX)));
        const int lastIndex = int(m_rows.size()) - 1;
        if (wanted > lastIndex)
            moveTo(lastIndex, false, true);
        else
            moveTo(int(wanted), false, false);
    } else {
        const qint64 wanted = qint64(from) + distance;
        if (wanted < 0)
            moveTo(0, true, false);
        else
            moveTo(int(wanted), false, false);
    }
    return currentIndex() - from;
}

void PoemQuery::setRecNo(int position)
{
    if (!isOpen() || m_rows.empty())
        return;
    const int target = std::clamp(position, 1, std::max(1, recordCount())) - 1;
    if (target == currentIndex()) {
        if (target == 0 && bof())
            moveTo(0, false, eof());
        return;
    }
    fetchUpTo(target + 1);
    moveTo(std::min(target, int(m_rows.size()) - 1), false, false);
}

int PoemQuery::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fieldNames.size(); ++i)
        if (m_fieldNames.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant PoemQuery::fieldValue(const QString &name) const
{
    const int field = fieldIndex(name);
    if (!isOpen() || currentIndex() < 0 || field < 0)
        return {};
    return valueOf(m_rows[currentIndex()][field]);
}

QString PoemQuery::fieldText(const QString &name) const
{
    return fieldValue(name).toString();
}

QVariant PoemQuery::value(int position, const QString &name)
{
    return value(position, fieldIndex(name));
}

QVariant PoemQuery::value(int position, int field)
{
    if (!isOpen() || field < 0 || field >= int(m_fieldKinds.size()) || position < 1 || position > recordCount())
        return {};
    fetchUpTo(position);
    if (position > int(m_rows.size()))
        return {};
    return valueOf(m_rows[position - 1][field]);
}

QVariant PoemQuery::valueOf(const Cell &cell)
{
    if (!cell.utf8Text)
        return cell.value;
    const QByteArray bytes = cell.value.toByteArray();
    // An empty text reads as empty, not as NULL.
    return bytes.isEmpty() ? QString(QLatin1String("")) : QString::fromUtf8(bytes);
}
