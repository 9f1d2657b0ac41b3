#pragma once

#include <QString>

// The statement that looks for a phrase anywhere in a poem's title, date text and text. The
// phrase is taken as it is (its "%" and "_" stay wildcards) and quoted as one SQL string
// literal, so no phrase can change the statement's shape.
namespace SearchStatement {
QString pattern(const QString &phrase);   // "%" + phrase + "%"
QString quoted(const QString &text);      // 'text' with every ' doubled
QString forPhrase(const QString &phrase);
} // namespace SearchStatement
