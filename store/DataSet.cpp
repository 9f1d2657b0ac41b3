#include "DataSet.h"

DataSet::DataSet(QObject *parent) : QObject(parent)
{
}

DataSet::~DataSet() = default;

void DataSet::fetchUpTo(int)
{
}

void DataSet::setState(bool open, int recordCount, int currentIndex, bool bof, bool eof)
{
    m_open = open;
    m_recordCount = recordCount;
    m_current = currentIndex;
    m_bof = bof;
    m_eof = eof;
}

void DataSet::moveTo(int index, bool bof, bool eof)
{
    if (index == m_current && bof == m_bof && eof == m_eof)
        return;
    m_current = index;
    m_bof = bof;
    m_eof = eof;
    emit currentChanged();
}
