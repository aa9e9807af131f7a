#include "platform/foundation/NSAutoreleasePool.h"
#include "platform/host/UIApplicationMain.h"
#include "platform/system/PrivilegeSeparation.h"

// Installed set-user-ID root, the program gives root to a small helper and gives it up itself
// before any library it links is initialised: functions in .preinit_array run before every
// initialiser of the program and of its libraries.
[[gnu::used, gnu::section(".preinit_array")]] static void (*sSeparatePrivilege)(int, char**, char**) = separatePrivilege;

int main(int argc, char** argv)
{
    static constexpr const char* kApplicationClass = "Zentrova3Application";
    NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
    int result = UIApplicationMain(argc, argv, kApplicationClass, kApplicationClass);
    pool->drain();
    return result;
}
