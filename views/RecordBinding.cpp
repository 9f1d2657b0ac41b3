#include "RecordBinding.h"

#include "PoemQuery.h"

RecordBinding::RecordBinding(PoemQuery *query, std::vector<Link> links, QObject *parent)
    : QObject(parent), m_query(query), m_links(std::move(links))
{
    if (m_query) {
        connect(m_query, &PoemQuery::stateChanged, this, &RecordBinding::refresh);
        connect(m_query, &PoemQuery::currentChanged, this, &RecordBinding::refresh);
    }
    refresh();
}

void RecordBinding::refresh()
{
    const bool hasRecord = m_query && m_query->isOpen() && m_query->recordCount() > 0;
    for (const Link &link : m_links)
        link.write(hasRecord ? m_query->fieldText(link.field) : QString());
}
