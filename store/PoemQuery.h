#pragma once

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

class SqliteConnection;
class SqliteStatement;

// The one result set every view shows: the rows fetched so far (in batches of 50) and the record
// count from its count statement. Where the user stands in it is the views' business, not the
// result's. A failing call returns false and leaves SQLite's message in errorString().
class PoemQuery final : public QObject
{
    Q_OBJECT
public:
    static constexpr int BatchSize = 50;
    static inline const QString BaseStatement = QStringLiteral("Select * from tbl_Data");

    explicit PoemQuery(SqliteConnection &connection, QObject *parent = nullptr);
    ~PoemQuery() override;

    // Statement text, one entry per line; it reaches SQLite verbatim (lines joined by CR LF).
    QString statementText() const;
    void clearSql();
    void addSql(const QString &line);

    bool open();            // opens the connection first if it is closed
    void close() noexcept;  // drops the result
    bool isOpen() const { return m_open; }

    int recordCount() const { return m_open ? m_recordCount : 0; }
    int fetchedCount() const { return int(m_rows.size()); }
    // The rows that can be read: all of them, unless a failed batch ended the result early.
    int readableCount() const { return m_failed ? fetchedCount() : recordCount(); }

    // Fetches whole batches until the given number of rows is there or the result ends; false
    // when a batch failed (the result then ends with the rows read before it).
    bool fetchUpTo(int count);

    int fieldIndex(const QString &name) const;   // -1 when unknown
    // A fetched row's value (0-based row); a null QVariant for NULL or a row not fetched.
    QVariant value(int row, int field) const;

    QString errorString() const { return m_error; }

signals:
    void stateAboutToChange();      // an open that has succeeded, or a close, is about to take effect
    void stateChanged(bool open);   // after every open and every close

private:
    // A value as SQLite gave it; texts stay UTF-8 until a view reads them, most never being read.
    struct Cell
    {
        QVariant value;
        bool utf8Text = false;
    };
    using Row = std::vector<Cell>;
    static QVariant valueOf(const Cell &cell);

    bool fetchBatch();
    Row readRow() const;
    std::optional<int> countRows();
    bool fail(const QString &message);

    SqliteConnection &m_connection;
    QStringList m_sql;
    std::unique_ptr<SqliteStatement> m_statement;
    bool m_open = false;
    bool m_exhausted = false;
    bool m_failed = false;
    int m_recordCount = 0;
    QStringList m_fieldNames;
    std::vector<int> m_fieldKinds;
    std::vector<Row> m_rows;
    QString m_error;
};
