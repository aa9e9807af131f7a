#pragma once

#include "tests/support/ScriptDir.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// A stand-in for /bin/sh written into a temporary folder. It runs nothing it is handed: each run
// logs "start PID", its argument count and arguments, sleeps a moment, writes its environment to a
// file and logs "end PID". Runs that overlapped, or a call that returned before its shell had
// finished, show up as a log that does not alternate strictly.
class FakeShell {
public:
    struct Options {
        // Sent SIGUSR1 in the middle of each run, to interrupt a caller waiting for it.
        std::optional<pid_t> signalTarget;
    };

    FakeShell();
    explicit FakeShell(Options options);

    const std::filesystem::path& path() const { return _path; }

    // The arguments of each run in order, or none when the log is not a strict alternation of
    // complete runs.
    std::optional<std::vector<std::vector<std::string>>> runs() const;
    std::vector<std::string> logLines() const { return _dir.readLines("shell.log"); }
    // The environment of the latest run, one NAME=VALUE a line.
    std::vector<std::string> environmentOfLastRun() const { return _dir.readLines("shell.env"); }

private:
    ScriptDir _dir;
    std::filesystem::path _path;
};

// An external command's absolute path, looked up on this process's PATH and then the usual
// directories, so that scripts can use it whatever PATH their caller gives them.
std::string absoluteCommand(const std::string& name);
