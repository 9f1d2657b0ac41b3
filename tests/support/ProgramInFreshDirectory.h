#pragma once

#include "ProgramWindows.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

// The whole program as a suite starts it: made in a fresh directory of its own, where it writes
// its working copy; once the program is gone, the directory the suite ran in is current again.
class ProgramInFreshDirectory
{
public:
    ProgramInFreshDirectory() : m_savedCwd(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
        m_windows = std::make_unique<ProgramWindows>();
        // A suite reads every window's controls from its first step on, as the program has them
        // before it handles any input: asking for the detail window completes them all.
        m_windows->form2();
    }
    ~ProgramInFreshDirectory()
    {
        m_windows.reset();
        QDir::setCurrent(m_savedCwd);
    }
    ProgramInFreshDirectory(const ProgramInFreshDirectory &) = delete;
    ProgramInFreshDirectory &operator=(const ProgramInFreshDirectory &) = delete;

    ProgramWindows &windows() { return *m_windows; }
    const QTemporaryDir &directory() const { return m_dir; }

private:
    QTemporaryDir m_dir;
    QString m_savedCwd;
    std::unique_ptr<ProgramWindows> m_windows;
};
