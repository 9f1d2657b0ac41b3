#include "SearchStatement.h"

QString SearchStatement::pattern(const QString &phrase)
{
    return QLatin1Char('%') + phrase + QLatin1Char('%');
}

QString SearchStatement::quoted(const QString &text)
{
    QString literal = text;
    literal.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + literal + QLatin1Char('\'');
}

QString SearchStatement::forPhrase(const QString &phrase)
{
    const QString literal = quoted(pattern(phrase));
    return QLatin1String("Select * FROM tbl_Data WHERE CIM like ") + literal + QLatin1String(" or DATUM like ")
           + literal + QLatin1String(" or VERS like ") + literal;
}
