#pragma once

#include <QString>
#include <QStringList>

// Builds small poem databases with the real table layout, for tests that need
// 0, 1, 2 or any other number of rows, or texts with particular edges.
namespace FixtureDb {

// Rows get AZ 1..n, CIM "Cím 1".."Cím n" (or the given titles), VERS "Vers n\r\n..." and NULL DATUM/FOTO.
QString create(const QString &path, int rows);
QString createWithTitles(const QString &path, const QStringList &titles, const QStringList &texts = {});

// Path of the committed poem database in the source tree.
QString shippedDatabase();

} // namespace FixtureDb
