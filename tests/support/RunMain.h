#pragma once

#include <string>
#include <vector>

// What a run of the program's entry printed and returned.
struct MainResult {
    int status;
    std::string out;
    std::string err;
};

// Runs UIApplicationMain in this process with ARGUMENTS after the program name, as main does,
// capturing standard output and standard error.
MainResult runMain(std::vector<std::string> arguments);
