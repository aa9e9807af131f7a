#include "platform/foundation/NSString.h"

#include <cstdlib>

// Strict UTF-8: bytes that decode give back exactly the same bytes; anything else is refused,
// never repaired. The lenient constructor takes anything.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto text = NSString::fromUTF8(bytes)) {
        if (text->utf8() != bytes)
            std::abort();
        if (text->length() > size)
            std::abort();
    }
    NSString lenient(bytes);
    if (lenient.length() > size)
        std::abort();
    return 0;
}
