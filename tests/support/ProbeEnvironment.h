#pragma once

#include <QProcessEnvironment>
#include <QString>

// The environment of a real process of the program with the message probe loaded into it,
// writing what it sees to `log`. Each suite adds the probe's action and the platform it needs.
// PROBE_PLUGIN_DIR is defined by the suites that start the program.
inline QProcessEnvironment probeEnvironment(const QString &log)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(PROBE_PLUGIN_DIR));
    env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("messageprobe"));
    env.insert(QStringLiteral("TORNEVI_PROBE_LOG"), log);
    return env;
}
