// A library of the user's that tries to take root from whatever process loads it. The privilege
// test hands it to a set-user-ID run of the program through the variables SDL and Mesa read; it
// notes in $ZENTROVA_TEST_REPORT that it was loaded and whether root could be taken, and ends the
// process.
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

__attribute__((constructor)) static void takeRoot()
{
    bool tookRoot = setresgid(0, 0, 0) == 0 || setresuid(0, 0, 0) == 0 || seteuid(0) == 0;
    if (const char* report = std::getenv("ZENTROVA_TEST_REPORT")) {
        int file = open(report, O_WRONLY | O_CREAT | O_APPEND, 0666);
        if (file >= 0) {
            const char* line = tookRoot ? "loaded, took root\n" : "loaded, no root\n";
            ssize_t written = write(file, line, tookRoot ? 18 : 16);
            (void)written;
            close(file);
        }
    }
    _exit(tookRoot ? 3 : 0);
}
