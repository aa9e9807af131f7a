#pragma once

#include "platform/foundation/NSString.h"

#include <optional>

// The system-wide pasteboard that copied text goes to. The window host hands what lands here to
// the desktop's clipboard.
class UIPasteboard {
public:
    static UIPasteboard& generalPasteboard();

    std::optional<NSString> string() const { return _string; }
    void setString(const NSString& string);
    // Goes up by one with every change, so a host can tell whether anything was copied.
    unsigned long changeCount() const { return _changeCount; }

private:
    UIPasteboard() = default;

    std::optional<NSString> _string;
    unsigned long _changeCount = 0;
};
