#include "platform/system/Privilege.h"

#include <unistd.h>

bool actAsRealUser()
{
    // The group goes first: once the effective user is no longer root, it could not be changed.
    if (getegid() != getgid() && setegid(getgid()) != 0)
        return false;
    if (geteuid() != getuid() && seteuid(getuid()) != 0)
        return false;
    return geteuid() == getuid() && getegid() == getgid();
}
