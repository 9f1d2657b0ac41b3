// The program's entry point: the application object, then the windows in their order.
#include "CommandLine.h"
#include "ProgramWindows.h"
#include "TorneviApplication.h"

int main(int argc, char *argv[])
{
    // --help and --version need no display and write nothing: they are answered first.
    CommandLine::answer(argc, argv);
    TorneviApplication::prepare();
    TorneviApplication app(argc, argv);
    ProgramWindows windows(ProgramWindows::Start::FirstFrameFirst);
    return windows.run();
}
