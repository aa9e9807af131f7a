#include "tests/support/HostilePlists.h"

#include <cstdint>

namespace {

void appendBigEndian(std::string& out, uint64_t value, int width)
{
    for (int i = width - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string countedMarker(unsigned kind, size_t count)
{
    std::string out;
    if (count < 15) {
        out.push_back(static_cast<char>((kind << 4) | count));
    } else {
        out.push_back(static_cast<char>((kind << 4) | 0xF));
        out.push_back(static_cast<char>(0x13));
        appendBigEndian(out, count, 8);
    }
    return out;
}

std::string asciiObject(const std::string& text)
{
    return countedMarker(0x5, text.size()) + text;
}

const std::string kTrue = "\x09";

// Object 0 is the root dictionary {lightSwitch: YES, k: object 3}; 1 and 2 are its keys' strings...
std::vector<std::string> rootWithK(int referenceSize)
{
    std::string dictionary = countedMarker(0xD, 2);
    for (size_t reference : { 1, 2, 3, 4 })
        appendBigEndian(dictionary, reference, referenceSize);
    // keys: 1 "lightSwitch", 2 "k"; values: 3 true, 4 the nested value.
    return { dictionary, asciiObject("lightSwitch"), asciiObject("k"), kTrue };
}

} // namespace

std::string binaryArrayObject(const std::vector<size_t>& references, int referenceSize)
{
    std::string out = countedMarker(0xA, references.size());
    for (size_t reference : references)
        appendBigEndian(out, reference, referenceSize);
    return out;
}

std::string binaryPlistFromObjects(const std::vector<std::string>& objects, int referenceSize)
{
    std::string out = "bplist00";
    std::vector<uint64_t> offsets;
    for (auto& object : objects) {
        offsets.push_back(out.size());
        out += object;
    }
    uint64_t table = out.size();
    constexpr int kOffsetSize = 4;
    for (uint64_t offset : offsets)
        appendBigEndian(out, offset, kOffsetSize);
    out.append(6, '\0');
    out.push_back(static_cast<char>(kOffsetSize));
    out.push_back(static_cast<char>(referenceSize));
    appendBigEndian(out, objects.size(), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return out;
}

std::string deepBinaryPlist(int depth)
{
    constexpr int kReferenceSize = 4;
    auto objects = rootWithK(kReferenceSize);
    for (int level = 0; level < depth; ++level) {
        size_t self = objects.size();
        objects.push_back(level + 1 < depth ? binaryArrayObject({ self + 1 }, kReferenceSize) : binaryArrayObject({}, kReferenceSize));
    }
    return binaryPlistFromObjects(objects, kReferenceSize);
}

std::string expandingBinaryPlist(int levels)
{
    constexpr int kReferenceSize = 1;
    auto objects = rootWithK(kReferenceSize);
    for (int level = 0; level < levels; ++level) {
        size_t self = objects.size();
        objects.push_back(binaryArrayObject({ self + 1, self + 1 }, kReferenceSize));
    }
    objects.push_back(kTrue);
    return binaryPlistFromObjects(objects, kReferenceSize);
}

std::string cyclicBinaryPlist()
{
    constexpr int kReferenceSize = 1;
    auto objects = rootWithK(kReferenceSize);
    objects.push_back(binaryArrayObject({ 5 }, kReferenceSize));
    objects.push_back(binaryArrayObject({ 4 }, kReferenceSize));
    return binaryPlistFromObjects(objects, kReferenceSize);
}

std::string deepXMLPlist(int depth)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                      "<key>lightSwitch</key><true/>\n<key>k</key>";
    for (int level = 0; level < depth; ++level)
        out += "<array>";
    for (int level = 0; level < depth; ++level)
        out += "</array>";
    out += "\n</dict>\n</plist>\n";
    return out;
}
