#pragma once
// PROVISIONAL: replaced by the store branch.
#include "EmbeddedResource.h"
#include <QObject>
class SqliteConnection;
class PoemQuery;
class PoemStore : public QObject
{
    Q_OBJECT
public:
    enum class Step { TakeItem, WriteCopy, FindCopy, OpenConnection, OpenQuery };
    Q_ENUM(Step)
    static inline const QString ItemName = QStringLiteral("Resource_1");
    explicit PoemStore(QObject *parent = nullptr);
    ~PoemStore() override;
    SqliteConnection *connection() const { return m_connection; }
    PoemQuery *query() const { return m_query; }
    void setWorkingDirectory(const QString &directory) { m_directory = directory; }
    QString workingCopyPath() const;
    bool perform(Step step);
    QString errorString() const { return m_error; }
    void releaseItem() { m_item.release(); }
    void close() noexcept;
private:
    SqliteConnection *m_connection;
    PoemQuery *m_query;
    QString m_directory;
    QString m_error;
    EmbeddedResource m_item;
};
