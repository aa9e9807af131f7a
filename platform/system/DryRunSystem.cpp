#include "platform/system/System.h"

#include "platform/system/CallNotation.h"

#include <ostream>

DryRunSystem::DryRunSystem(std::ostream& out)
    : _out(out)
{
}

// Each line is flushed as soon as it is written, so that whoever watches the output sees the
// call before anything the app does next, even if the app is then killed.
void DryRunSystem::print(const std::string& notation)
{
    _out << notation << '\n';
    _out.flush();
}

int DryRunSystem::setuid(uid_t uid)
{
    print(identityCallNotation("setuid", uid));
    return 0;
}

int DryRunSystem::setgid(gid_t gid)
{
    print(identityCallNotation("setgid", gid));
    return 0;
}

int DryRunSystem::system(const std::string& line)
{
    print(stringCallNotation("system", line));
    return 0;
}

int DryRunSystem::openURL(const std::string& url)
{
    print(stringCallNotation("openURL", url));
    return 0;
}
