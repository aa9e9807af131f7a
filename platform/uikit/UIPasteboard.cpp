#include "platform/uikit/UIPasteboard.h"

UIPasteboard& UIPasteboard::generalPasteboard()
{
    static UIPasteboard pasteboard;
    return pasteboard;
}

void UIPasteboard::setString(const NSString& string)
{
    _string = string;
    ++_changeCount;
}
