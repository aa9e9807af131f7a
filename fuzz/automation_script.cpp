#include "platform/host/AutomationScript.h"

#include <cstdlib>

// Every script is either refused with one line naming its line, or made of commands that a run can
// take as they are: no command of a refused script survives, and each command, written again as
// a line, reads back as itself.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto script = parseAutomationScript(text, CGSize { 320, 568 });
    if (!script.error.empty()) {
        if (!script.commands.empty() || script.error.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    for (auto& command : script.commands) {
        if (command.line < 1)
            std::abort();
        auto again = parseAutomationScript(automationLine(command.verb(), command.argument), CGSize { 320, 568 });
        if (!again.error.empty() || again.commands.size() != 1 || again.commands.front().verb() != command.verb()
            || again.commands.front().argument != command.argument)
            std::abort();
    }
    return 0;
}
