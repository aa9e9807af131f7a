#include "tests/system/FakeShell.h"

#include "platform/system/System.h"

#include <cstdlib>
#include <stdexcept>

std::string absoluteCommand(const std::string& name)
{
    std::string searchPath = "/usr/bin:/bin";
    if (auto* path = std::getenv("PATH"))
        searchPath = std::string(path) + ":" + searchPath;
    auto found = RealSystem::findExecutable(name, searchPath);
    if (found.empty())
        throw std::runtime_error("no " + name + " to use in test scripts");
    return found;
}

FakeShell::FakeShell()
    : FakeShell(Options { })
{
}

FakeShell::FakeShell(Options options)
{
    auto sleep = ScriptDir::shellQuoted(absoluteCommand("sleep"));
    std::string interrupt;
    if (options.signalTarget && *options.signalTarget > 1)
        interrupt = sleep + " 0.05\nkill -USR1 " + std::to_string(*options.signalTarget);

    // Arguments are only ever printed as data; nothing here evaluates them.
    _path = _dir.writeScript("fake-sh",
        ScriptDir::fillIn(R"(#!/bin/sh
log=@LOG@
printf 'start %s\n' "$$" >> "$log"
printf 'argc %s\n' "$#" >> "$log"
for argument in "$@"; do
    printf 'arg %s\n' "$argument" >> "$log"
done
@INTERRUPT@
@SLEEP@ 0.05
@ENV@ > @ENVIRONMENT@
printf 'end %s\n' "$$" >> "$log"
exit 0
)",
            {
                { "LOG", ScriptDir::shellQuoted(_dir.file("shell.log").string()) },
                { "INTERRUPT", interrupt },
                { "SLEEP", sleep },
                { "ENV", ScriptDir::shellQuoted(absoluteCommand("env")) },
                { "ENVIRONMENT", ScriptDir::shellQuoted(_dir.file("shell.env").string()) },
            }));
}

std::optional<std::vector<std::vector<std::string>>> FakeShell::runs() const
{
    std::vector<std::vector<std::string>> runs;
    auto lines = logLines();
    size_t index = 0;
    auto next = [&](std::string_view prefix) -> std::optional<std::string> {
        if (index >= lines.size() || !lines[index].starts_with(prefix))
            return std::nullopt;
        return lines[index++].substr(prefix.size());
    };

    while (index < lines.size()) {
        auto start = next("start ");
        auto count = next("argc ");
        if (!start || !count)
            return std::nullopt;
        std::vector<std::string> arguments;
        for (int i = 0; i < std::stoi(*count); ++i) {
            auto argument = next("arg ");
            if (!argument)
                return std::nullopt;
            arguments.push_back(*argument);
        }
        auto end = next("end ");
        if (!end || *end != *start)
            return std::nullopt;
        runs.push_back(std::move(arguments));
    }
    return runs;
}
