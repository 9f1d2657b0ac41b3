#pragma once

#include "DataSet.h"

#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class SqliteConnection;
class SqliteStatement;

// The one result set every view shows. It owns the rows fetched so far (in batches of 50),
// the record count from its count statement, and the current record with BOF and EOF.
// Views never keep rows of their own: they read from here on every change notice.
class PoemQuery final : public DataSet
{
    Q_OBJECT
public:
    static constexpr int BatchSize = 50;
    static inline const QString BaseStatement = QStringLiteral("Select * from tbl_Data");

    explicit PoemQuery(SqliteConnection &connection, QObject *parent = nullptr);
    ~PoemQuery() override;

    // Statement text, one entry per line; it reaches SQLite verbatim (lines joined by CR LF).
    QStringList sql() const { return m_sql; }
    QString statementText() const;
    void clearSql();
    void addSql(const QString &line);

    void open();            // throws DatabaseError; opens the connection first if it is closed
    void close() noexcept;  // drops the result; the views go blank

    void first() override;
    void last() override;
    int moveBy(int distance) override;
    void setRecNo(int position) override;   // scroll-bar style positioning
    void fetchUpTo(int position) override;  // rows are fetched in whole batches

    int fieldIndex(const QString &name) const;   // -1 when unknown

    // Values of the current record; a null QVariant for NULL or when there is no record.
    QVariant fieldValue(const QString &name) const;
    QString fieldText(const QString &name) const;  // NULL and "no record" read as ""

    // Value of any row (1-based position), fetching further batches as needed.
    QVariant value(int position, const QString &name);
    QVariant value(int position, int field);   // field as fieldIndex() gives it

private:
    // A value as SQLite gave it; texts stay UTF-8 until a view reads them, most never being read.
    struct Cell
    {
        QVariant value;
        bool utf8Text = false;
    };
    using Row = std::vector<Cell>;
    static QVariant valueOf(const Cell &cell);

    void fetchBatch();
    void fetchAll();
    Row readRow() const;
    int countRows();

    SqliteConnection &m_connection;
    QStringList m_sql;
    std::unique_ptr<SqliteStatement> m_statement;
    bool m_exhausted = false;
    QStringList m_fieldNames;
    std::vector<int> m_fieldKinds;
    std::vector<Row> m_rows;
};
