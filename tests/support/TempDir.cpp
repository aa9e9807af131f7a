#include "tests/support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

TempDir::TempDir()
{
    std::string pattern = "/tmp/zentrova-test-XXXXXX";
    // Without the directory every path a test builds would be relative to wherever it runs, so
    // there is nothing sensible to carry on with.
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    _path = pattern;
}

TempDir::~TempDir()
{
    // A destructor must not throw, and a directory that cannot be removed is no reason to fail.
    std::error_code error;
    std::filesystem::remove_all(_path, error);
}
