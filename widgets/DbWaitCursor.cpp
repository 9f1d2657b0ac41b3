#include "DbWaitCursor.h"

#include "PngResource.h"

#include <QGuiApplication>
#include <QPixmap>

DbWaitCursor::DbWaitCursor(QObject *parent) : QObject(parent)
{
}

const QCursor &DbWaitCursor::cursor()
{
    if (!m_cursor) {
        const QPixmap image = PngResource::pixmap(QStringLiteral(":/cursors/dbwait.png"));
        m_cursor = image.isNull() ? QCursor(Qt::WaitCursor) : QCursor(image, 0, 0);
    }
    return *m_cursor;
}

void DbWaitCursor::showWaitPointer()
{
    if (!QGuiApplication::overrideCursor())
        QGuiApplication::setOverrideCursor(cursor());
}

void DbWaitCursor::showDefaultPointer()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}
