#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// Carries SQLite's own message up to whoever shows it; the store never shows anything itself.
class DatabaseError : public std::exception
{
public:
    explicit DatabaseError(const QString &message) : m_message(message), m_utf8(message.toUtf8()) {}

    QString message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
