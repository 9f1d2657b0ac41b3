// Carries the poem database inside the executable as the raw-data item RESOURCE_1.
// The bytes are included verbatim by the assembler; Windows builds use Tornevi.rc instead.
#include "EmbeddedResource.h"

#include <QtGlobal>

#ifndef Q_OS_WIN
__asm__(".pushsection .rodata\n"
        ".balign 16\n"
        ".globl tornevi_resource_1_begin\n"
        ".hidden tornevi_resource_1_begin\n"
        "tornevi_resource_1_begin:\n"
        ".incbin \"" TORNEVI_POEMDB_PATH "\"\n"
        ".globl tornevi_resource_1_end\n"
        ".hidden tornevi_resource_1_end\n"
        "tornevi_resource_1_end:\n"
        ".popsection\n");

extern "C" const char tornevi_resource_1_begin[];
extern "C" const char tornevi_resource_1_end[];

namespace {
[[maybe_unused]] const bool registered = EmbeddedResource::registerItem(
    "RESOURCE_1", tornevi_resource_1_begin, tornevi_resource_1_end - tornevi_resource_1_begin);
}
#endif
