#pragma once

#include <cstdint>
#include <cstring>

// What the app and its privileged helper say to each other over one socket pair (SOCK_SEQPACKET,
// so that every message arrives whole or not at all).
//
// A request is one message of exactly four bytes: the tag of a power action that needs identity 0,
// in the machine's byte order. The helper answers each request with one PrivilegedReply. It knows
// the command line of each request itself: nothing the app sends is ever run, opened or passed on.
// Any other message (another tag, another length) is refused and runs nothing; the end of the
// stream ends the helper.
namespace privileged_helper {

enum class Request : uint32_t {
    Reboot = 1,
    ShutDown = 2,
};

struct Command {
    Request request;
    const char* line;
};

// The helper's own copy of the two command lines; the app finds a request by the line it was
// about to run, and runs any other line itself.
inline constexpr Command kCommands[] = {
    { Request::Reboot, "kill 1" },
    { Request::ShutDown, "halt" },
};

enum class Outcome : int32_t {
    // Sent once when the helper has started and is listening.
    Ready = 0,
    Performed = 1,
    Refused = 2,
};

struct Reply {
    Outcome outcome;
    // The shell's wait status, as system(3) returns it, when the request was performed.
    int32_t status;
};

// The helper finds its end of the socket pair here and has no other descriptor open.
inline constexpr int kDescriptor = 3;

// The command line of a four-byte request, or null when the message is anything else.
inline const char* lineOfMessage(const void* message, long length)
{
    if (length != long(sizeof(Request)))
        return nullptr;
    uint32_t tag = 0;
    std::memcpy(&tag, message, sizeof tag);
    for (auto& command : kCommands) {
        if (uint32_t(command.request) == tag)
            return command.line;
    }
    return nullptr;
}

inline const Command* commandForLine(const char* line)
{
    for (auto& command : kCommands) {
        if (std::strcmp(command.line, line) == 0)
            return &command;
    }
    return nullptr;
}

} // namespace privileged_helper
