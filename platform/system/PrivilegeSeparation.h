#pragma once

#include <sys/types.h>

// Installed set-user-ID root, the program must never hand its user root: the process that draws,
// parses files and talks to the display holds no root in any form. So before any library of the
// program is initialised (the program registers separatePrivilege to run before every library's
// initialiser), a process started with more privilege than its user:
//
// 1. starts the privileged helper from the image the program carries (PrivilegedHelperImage.h):
//    a child that keeps root, has nothing open but its end of a socket pair, every signal at its
//    default, and the clean environment, and performs only the two fixed actions that need
//    identity 0 (PrivilegedHelperProtocol.h). A run with --dry-run starts none;
// 2. gives up the raised privilege for good: the supplementary groups, the real, effective and
//    saved group and user IDs set to the real ones, and every capability dropped; then checks
//    that root cannot be taken back.
//
// If any step fails, the program says which on standard error and exits with status 1. A process
// whose IDs all agree (and that was not given capabilities by its file) is left as it is, root or
// not, and starts no helper.
void separatePrivilege(int argc, char** argv, char** environment);

// This process's end of the socket to the helper, or -1 when there is none.
int privilegedHelperSocket();

// Whether the process holds more privilege than the user who started it: effective or saved IDs
// that differ from the real ones, or, for a user other than root, any capability (which only the
// program file's capabilities could have given).
bool holdsRaisedPrivilege();

// The parts of separatePrivilege, for tests. startPrivilegedHelper returns the app's end of the
// socket once the helper has said it is ready, or -1 with `failure` naming the step that failed;
// dropRaisedPrivilege returns null on success or the step that failed.
int startPrivilegedHelper(char** environment, const char*& failure, pid_t* helperProcess = nullptr);
const char* dropRaisedPrivilege();
