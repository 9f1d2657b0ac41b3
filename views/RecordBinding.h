#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class PoemQuery;

// Feeds fields of the poem query's current record to controls, one way, on every notice of the
// query, whether the controls are shown or not. NULL, a closed query and an empty result all
// read as empty text. It keeps nothing of the record itself.
class RecordBinding : public QObject
{
    Q_OBJECT
public:
    struct Link
    {
        QString field;
        std::function<void(const QString &text)> write;
    };

    RecordBinding(PoemQuery *query, std::vector<Link> links, QObject *parent = nullptr);

    void refresh();

private:
    QPointer<PoemQuery> m_query;
    std::vector<Link> m_links;
};
