#pragma once

#include <QStringList>

// The two questions a command line may ask, answered before any window or file is made.
// Everything else on it (Qt's own options, unknown options, file names) is passed over, as the
// program has always done.
namespace CommandLine {
enum class Request { Run, Help, Version };

// What the arguments, the program's path first, ask for; the version wins over help, as in Qt.
Request request(const QStringList &arguments);

// Answers --help and --version on standard output and ends the process with status 0, without
// a display; returns when the program is to run.
void answer(int argc, char **argv);
} // namespace CommandLine
