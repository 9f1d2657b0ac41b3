#include "PoemStore.h"

#include "PoemQuery.h"
#include "SearchStatement.h"
#include "SqliteConnection.h"
#include "WorkingCopy.h"

#include <QDir>
#include <QFile>
#include <QMetaEnum>


Q_LOGGING_CATEGORY(lcStore, "tornevi.store")

namespace {
// The user reads this one as it stands, like SQLite's own messages.
const QString NulInPhrase = QStringLiteral("A keresendő kifejezés nem tartalmazhat NUL (U+0000) karaktert.");
} // namespace

PoemStore::PoemStore(QObject *parent) : QObject(parent)
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

QString PoemStore::captureWorkingDirectory()
{
    m_copy.captureCurrentDirectory();
    m_directoryError = m_copy.errorString();
    return workingDirectory();
}

QString PoemStore::workingDirectory() const
{
    return QDir::toNativeSeparators(QFile::decodeName(m_copy.directory()));
}

QString PoemStore::workingCopyPath() const
{
    return QDir::toNativeSeparators(QFile::decodeName(m_copy.path()));
}

bool PoemStore::fail(Step step, const QString &reason)
{
    m_error = reason;
    // The boxes the user sees carry fixed texts; the reason goes to standard error.
    const QString path = m_copy.path().isEmpty() ? QStringLiteral("(no working directory: %1)").arg(m_directoryError)
                                                 : workingCopyPath();
    qCWarning(lcStore).noquote() << QMetaEnum::fromType<Step>().valueToKey(int(step)) << "failed for"
                                 << path << "-" << reason;
    return false;
}

bool PoemStore::perform(Step step)
{
    m_error.clear();
    switch (step) {
    case Step::TakeItem:
        m_item = EmbeddedResource::find(ItemName);
        if (!m_item.isValid())
            return fail(step, QStringLiteral("The program carries no item named %1").arg(ItemName));
        return true;
    case Step::WriteCopy:
        if (!m_item.isValid())
            return fail(step, QStringLiteral("Nothing to write: the item %1 was not taken").arg(ItemName));
        // A copy SQLite could not open is not written at all.
        if (m_copy.path().size() > SqliteConnection::maxPathLength())
            return fail(step, QStringLiteral("The path is %1 bytes long; SQLite opens at most %2")
                                  .arg(m_copy.path().size())
                                  .arg(SqliteConnection::maxPathLength()));
        if (!m_copy.write(m_item.bytes()))
            return fail(step, m_copy.errorString());
        return true;
    case Step::FindCopy:
        // Pointing the connection at a missing path would let SQLite create an empty database.
        if (!m_copy.exists())
            return fail(step, m_copy.errorString());
        // SQLite must read the very file written, not whatever has its name by then.
        m_connection->setDatabase(m_copy.path(), m_copy.identity());
        return true;
    case Step::OpenConnection:
        if (!m_connection->open())
            return fail(step, m_connection->errorString());
        return true;
    case Step::OpenQuery:
        if (!m_query->open())
            return fail(step, m_query->errorString());
        return true;
    }
    return fail(step, QStringLiteral("Unknown step"));
}

void PoemStore::releaseItem()
{
    m_item.release();
}

bool PoemStore::search(const QString &phrase)
{
    if (phrase.contains(QChar::Null)) {
        m_error = NulInPhrase;
        return false;
    }
    return reopenWith(SearchStatement::forPhrase(phrase));
}

bool PoemStore::showAll()
{
    return reopenWith(PoemQuery::BaseStatement);
}

bool PoemStore::reopenWith(const QString &statement)
{
    m_error.clear();
    m_query->close();
    m_query->clearSql();
    m_query->addSql(statement);
    if (!m_query->open()) {
        m_error = m_query->errorString();
        return false;
    }
    return true;
}

void PoemStore::close() noexcept
{
    m_query->close();
    m_connection->close();
    // The item was given back after the write; its bytes still decide what counts as the copy.
    if (!m_copy.remove(EmbeddedResource::find(ItemName).bytes()))
        qCWarning(lcStore).noquote() << "The working copy" << workingCopyPath() << "was not deleted -"
                                     << m_copy.errorString();
}
