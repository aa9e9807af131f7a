#pragma once

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// A URL as text with its scheme. Only what the app needs: web URLs to hand to the browser, and
// data: URLs that decode in memory.
class NSURL final : public NSObject {
public:
    ZENTROVA_CLASS_NAME(NSURL)

    // None when the text is not a URL (no scheme, or characters a URL cannot hold).
    static std::shared_ptr<NSURL> URLWithString(const NSString& string);

    const NSString& absoluteString() const { return _string; }
    NSString scheme() const;

private:
    explicit NSURL(NSString string)
        : _string(std::move(string))
    {
    }

    NSString _string;
};

// Bytes in memory.
class NSData final : public NSObject {
public:
    ZENTROVA_CLASS_NAME(NSData)

    static std::shared_ptr<NSData> dataWithBytes(std::vector<unsigned char> bytes);
    // The bytes a data: URL carries (base64 or percent-encoded); none for any other URL, since
    // nothing here fetches from the network, and none for a data URL longer than 1 MiB.
    static constexpr size_t kMaximumDataURLBytes = 1 << 20;
    static std::shared_ptr<NSData> dataWithContentsOfURL(const NSURL& url);

    const std::vector<unsigned char>& bytes() const { return _bytes; }
    size_t length() const { return _bytes.size(); }

private:
    explicit NSData(std::vector<unsigned char> bytes)
        : _bytes(std::move(bytes))
    {
    }

    std::vector<unsigned char> _bytes;
};

// Decodes standard Base64 (with or without padding; white space is skipped). None on any other
// character or a truncated group.
std::optional<std::vector<unsigned char>> decodeBase64(std::string_view text);
