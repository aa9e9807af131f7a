// The privileged helper's executable, built before the program and carried inside it, so that
// starting it never looks at a path anyone could put another file at.
#include "platform/system/PrivilegedHelperImage.h"

#ifndef ZENTROVA_PRIVILEGED_HELPER_FILE
#error "the build names the helper's executable in ZENTROVA_PRIVILEGED_HELPER_FILE"
#endif

asm(".pushsection .rodata\n"
    ".balign 16\n"
    ".globl zentrovaPrivilegedHelperStart\n"
    ".hidden zentrovaPrivilegedHelperStart\n"
    "zentrovaPrivilegedHelperStart:\n"
    ".incbin \"" ZENTROVA_PRIVILEGED_HELPER_FILE "\"\n"
    ".globl zentrovaPrivilegedHelperEnd\n"
    ".hidden zentrovaPrivilegedHelperEnd\n"
    "zentrovaPrivilegedHelperEnd:\n"
    ".popsection\n");

extern "C" __attribute__((visibility("hidden"))) const unsigned char zentrovaPrivilegedHelperStart[];
extern "C" __attribute__((visibility("hidden"))) const unsigned char zentrovaPrivilegedHelperEnd[];

std::span<const unsigned char> privilegedHelperImage()
{
    return { zentrovaPrivilegedHelperStart, zentrovaPrivilegedHelperEnd };
}
