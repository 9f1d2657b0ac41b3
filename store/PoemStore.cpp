#include "PoemStore.h"
#include "PoemQuery.h"
#include "SqliteConnection.h"
#include "WorkingCopy.h"
PoemStore::PoemStore(QObject *parent) : QObject(parent)
{
    m_connection = new SqliteConnection(this);
    m_connection->setObjectName(QStringLiteral("FDConnection1"));
    m_query = new PoemQuery(*m_connection, this);
    m_query->setObjectName(QStringLiteral("FDQuery1"));
    m_query->addSql(PoemQuery::BaseStatement);
}
PoemStore::~PoemStore() { m_query->close(); m_connection->close(); }
QString PoemStore::workingCopyPath() const { return WorkingCopy::pathIn(m_directory); }
bool PoemStore::perform(Step step)
{
    try {
        switch (step) {
        case Step::TakeItem: m_item = EmbeddedResource::find(ItemName); return m_item.isValid();
        case Step::WriteCopy: return m_item.isValid() && WorkingCopy::write(workingCopyPath(), m_item.bytes());
        case Step::FindCopy: if (!WorkingCopy::exists(workingCopyPath())) return false; m_connection->setDatabase(workingCopyPath()); return true;
        case Step::OpenConnection: m_connection->open(); return true;
        case Step::OpenQuery: m_query->open(); return true;
        }
    } catch (const std::exception &e) { m_error = QString::fromUtf8(e.what()); }
    return false;
}
void PoemStore::close() noexcept { m_query->close(); m_connection->close(); WorkingCopy::remove(workingCopyPath()); }
