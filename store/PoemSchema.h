#pragma once

#include <QByteArrayView>
#include <QString>

// The poem table as every edition of the poem database defines it, and the test that tells such
// a database from any other file.
namespace PoemSchema {
// Seven lines joined by LF, a TAB before each column name and another before its type.
const QString &tableDefinition();

// Whether the bytes begin an SQLite database whose schema defines tbl_Data exactly so. The
// first pages are enough; SQLite reads them from memory, never from the file they came from.
bool definesPoemTable(QByteArrayView fileStart);
} // namespace PoemSchema
