// The program's entry point: the application object, then the windows in their order.
#include "ProgramWindows.h"
#include "TorneviApplication.h"

int main(int argc, char *argv[])
{
    TorneviApplication::prepare();
    TorneviApplication app(argc, argv);
    ProgramWindows windows;
    return windows.run();
}
