#include "platform/system/System.h"

#include "platform/system/CallNotation.h"

int RecordingSystem::setuid(uid_t uid)
{
    _calls.push_back(identityCallNotation("setuid", uid));
    return 0;
}

int RecordingSystem::setgid(gid_t gid)
{
    _calls.push_back(identityCallNotation("setgid", gid));
    return 0;
}

int RecordingSystem::system(const std::string& line)
{
    _calls.push_back(stringCallNotation("system", line));
    return 0;
}

int RecordingSystem::openURL(const std::string& url)
{
    _calls.push_back(stringCallNotation("openURL", url));
    return 0;
}
