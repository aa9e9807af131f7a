#include "tests/support/PlistFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>

std::string readFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> namesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

PlistPtr readPlistFile(const std::filesystem::path& path)
{
    auto bytes = readFileBytes(path);
    if (bytes.empty())
        return nullptr;
    plist_t plist = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &plist);
    return PlistPtr(plist);
}

namespace {

// What ENCODE writes for PLIST, in the buffer that RELEASE frees.
std::string encoded(plist_t plist, void (*encode)(plist_t, char**, uint32_t*), void (*release)(char*))
{
    char* data = nullptr;
    uint32_t size = 0;
    encode(plist, &data, &size);
    std::string bytes = data ? std::string(data, size) : std::string();
    release(data);
    return bytes;
}

} // namespace

std::string binaryPlistBytes(plist_t plist)
{
    return encoded(plist, plist_to_bin, plist_to_bin_free);
}

std::string xmlOf(plist_t plist)
{
    return encoded(plist, plist_to_xml, plist_to_xml_free);
}

std::string xmlPlistWithDictionaryBody(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<plist version=\"1.0\">\n<dict>\n"
        + body + "</dict>\n</plist>\n";
}
