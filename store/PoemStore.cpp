#include "PoemStore.h"

#include "DatabaseError.h"
#include "PoemQuery.h"
#include "SqliteConnection.h"
#include "WorkingCopy.h"

PoemStore::PoemStore(QObject *parent, const QString &itemName) : QObject(parent), m_itemName(itemName)
{
    m_connection = new SqliteConnection(this);
    m_connection->setObjectName(QStringLiteral("FDConnection1"));
    m_query = new PoemQuery(*m_connection, this);
    m_query->setObjectName(QStringLiteral("FDQuery1"));
    m_query->addSql(PoemQuery::BaseStatement);
}

PoemStore::~PoemStore()
{
    // The query's statement goes before the connection it runs on, in closing and in deleting.
    m_query->close();
    m_connection->close();
    delete m_query;
    delete m_connection;
}

QString PoemStore::workingCopyPath() const
{
    return WorkingCopy::pathIn(m_directory);
}

bool PoemStore::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

bool PoemStore::perform(Step step)
{
    m_error.clear();
    QString reason;
    switch (step) {
    case Step::TakeItem:
        m_item = EmbeddedResource::find(m_itemName);
        if (!m_item.isValid())
            return fail(QStringLiteral("The program carries no item named %1").arg(m_itemName));
        return true;
    case Step::WriteCopy:
        if (!m_item.isValid())
            return fail(QStringLiteral("Nothing to write: the item %1 was not taken").arg(m_itemName));
        if (!WorkingCopy::write(workingCopyPath(), m_item.bytes(), &reason))
            return fail(reason);
        return true;
    case Step::FindCopy:
        // Pointing the connection at a missing path would let SQLite create an empty database.
        if (!WorkingCopy::exists(workingCopyPath(), &reason))
            return fail(reason);
        m_connection->setDatabase(workingCopyPath());
        return true;
    case Step::OpenConnection:
    case Step::OpenQuery:
        try {
            if (step == Step::OpenConnection)
                m_connection->open();
            else
                m_query->open();
        } catch (const DatabaseError &error) {
            return fail(error.message());
        } catch (const std::exception &error) {
            return fail(QString::fromUtf8(error.what()));
        }
        return true;
    }
    return fail(QStringLiteral("Unknown step"));
}

void PoemStore::releaseItem()
{
    m_item.release();
}

void PoemStore::close() noexcept
{
    m_query->close();
    m_connection->close();
    WorkingCopy::remove(workingCopyPath());
}
