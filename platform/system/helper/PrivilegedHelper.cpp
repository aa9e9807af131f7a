// The privileged helper: the one part of the program that keeps root when it is installed
// set-user-ID. The program starts it from its own image before anything else runs (see
// PrivilegeSeparation.h) with nothing open but its end of a socket pair, every signal at its
// default, and the clean environment. It links nothing but the C library and performs the two
// fixed command lines that need identity 0, when asked by their tag; it reads nothing else from
// anywhere, and it ends when the app's end of the socket closes.
#include "platform/system/PrivilegedHelperProtocol.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace privileged_helper;

bool reply(Outcome outcome, int32_t status)
{
    Reply message { outcome, status };
    while (send(kDescriptor, &message, sizeof message, MSG_NOSIGNAL) < 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

} // namespace

int main()
{
    struct stat status { };
    if (fstat(kDescriptor, &status) != 0 || !S_ISSOCK(status.st_mode))
        return 2;
    // The shells it starts get nothing of it.
    if (fcntl(kDescriptor, F_SETFD, FD_CLOEXEC) != 0)
        return 2;
    if (!reply(Outcome::Ready, 0))
        return 1;
    while (true) {
        // Longer than any request, so that a longer message is seen as one and refused.
        unsigned char message[64];
        ssize_t length = recv(kDescriptor, message, sizeof message, 0);
        if (length == 0)
            return 0;
        if (length < 0) {
            if (errno == EINTR)
                continue;
            return 1;
        }
        const char* line = lineOfMessage(message, long(length));
        if (!line) {
            if (!reply(Outcome::Refused, -1))
                return 1;
            continue;
        }
        // The identity change the action asks for, then its one command line. Results are not
        // looked at beyond the shell's status, which goes back to the app.
        int userChange = setuid(0);
        int groupChange = setgid(0);
        (void)userChange;
        (void)groupChange;
        int shellStatus = std::system(line);
        if (!reply(Outcome::Performed, shellStatus))
            return 1;
    }
}
