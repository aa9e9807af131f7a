#include "platform/foundation/NSAutoreleasePool.h"
#include "platform/host/UIApplicationMain.h"

int main(int argc, char** argv)
{
    static constexpr const char* kApplicationClass = "Zentrova3Application";
    NSAutoreleasePool* pool = NSAutoreleasePool::alloc()->init();
    int result = UIApplicationMain(argc, argv, kApplicationClass, kApplicationClass);
    pool->drain();
    return result;
}
