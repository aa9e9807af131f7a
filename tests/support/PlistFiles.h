#pragma once

#include <filesystem>
#include <memory>
#include <plist/plist.h>
#include <string>
#include <vector>

// Helpers for tests that look at property-list files directly, without the store under test.

struct PlistFree {
    void operator()(void* plist) const { plist_free(static_cast<plist_t>(plist)); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

// The whole file, or an empty string when it cannot be read.
std::string readFileBytes(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, const std::string& bytes);
// The names in a folder, sorted.
std::vector<std::string> namesIn(const std::filesystem::path& folder);

// The parsed file (binary or XML), or null when it is missing or does not parse.
PlistPtr readPlistFile(const std::filesystem::path& path);
std::string binaryPlistBytes(plist_t plist);
// The property list as libplist writes it in XML, for comparing two lists in a readable form.
std::string xmlOf(plist_t plist);
// An XML property list whose root dictionary holds the given <key>/<value> elements.
std::string xmlPlistWithDictionaryBody(const std::string& body);
