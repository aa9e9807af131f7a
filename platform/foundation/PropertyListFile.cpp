#include "platform/foundation/PropertyListFile.h"

#include "platform/foundation/AtomicFileReplacement.h"
#include "platform/foundation/FileCalls.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/PropertyListLimits.h"

#include <cerrno>
#include <fcntl.h>
#include <plist/plist.h>

namespace {

constexpr size_t kMaximumFileBytes = 1 << 20;
constexpr int kSetAsideNames = 10;

// The text of an XML property list as UTF-8 without a byte order mark, which is what libplist
// reads: UTF-16 (with a byte order mark, or starting with "<" in either byte order) is converted
// strictly. None when the UTF-16 is broken: an odd length or an unpaired surrogate.
std::optional<std::string> xmlAsUTF8(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return std::string(bytes.substr(3));
    bool bigEndian;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with(std::string_view("<\0", 2))) {
        bigEndian = false;
    } else if (bytes.starts_with("\xFE\xFF") || bytes.starts_with(std::string_view("\0<", 2))) {
        bigEndian = true;
    } else {
        return std::string(bytes);
    }
    if (bytes[0] != '<' && bytes[1] != '<')
        bytes.remove_prefix(2);
    if (bytes.size() % 2)
        return std::nullopt;
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
    }
    for (size_t i = 0; i < units.size(); ++i) {
        bool high = units[i] >= 0xD800 && units[i] <= 0xDBFF, low = units[i] >= 0xDC00 && units[i] <= 0xDFFF;
        if (low || (high && (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF)))
            return std::nullopt;
        i += high;
    }
    return NSString(std::move(units)).utf8();
}

bool looksLikeXML(std::string_view text)
{
    auto first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && text[first] == '<';
}

// The property list in BYTES when it is binary or XML and within the limits, else null. LOSSY says
// whether libplist read some of its text changed: bytes that are not UTF-8 in an XML list, say.
OwnedPropertyList parsePropertyList(const std::string& bytes, bool& lossy)
{
    plist_t parsed = nullptr;
    if (bytes.starts_with("bplist00")) {
        if (binaryPropertyListIsWithinLimits(bytes)) {
            plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &parsed);
            lossy = !binaryPropertyListTextIsWellFormed(bytes);
        }
        return OwnedPropertyList(parsed);
    }
    auto text = xmlAsUTF8(bytes);
    if (text && looksLikeXML(*text) && xmlPropertyListIsWithinLimits(*text)) {
        plist_from_xml(text->data(), static_cast<uint32_t>(text->size()), &parsed);
        lossy = !NSString::fromUTF8(*text) || text->find('\0') != std::string::npos;
    }
    return OwnedPropertyList(parsed);
}

std::string xmlOf(plist_t plist)
{
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(plist, &xml, &length);
    std::string text = xml ? std::string(xml, length) : std::string();
    plist_to_xml_free(xml);
    return text;
}

enum class Rewrite { Faithful, Lossy, Unreadable };

// What a rewrite of PLIST would give. A parsed file can hold what libplist's writer cannot
// represent: an "ASCII" string with bytes past 127 is written so that no later start can read it,
// and text that is not UTF-8 comes back changed.
Rewrite rewriteOf(plist_t plist)
{
    char* data = nullptr;
    uint32_t size = 0;
    plist_to_bin(plist, &data, &size);
    if (!data)
        return Rewrite::Unreadable;
    plist_t again = nullptr;
    plist_from_bin(data, size, &again);
    plist_to_bin_free(data);
    OwnedPropertyList reread(again);
    if (!again)
        return Rewrite::Unreadable;
    if (plist_get_node_type(again) != plist_get_node_type(plist))
        return Rewrite::Unreadable;
    return xmlOf(again) != xmlOf(plist) ? Rewrite::Lossy : Rewrite::Faithful;
}

PropertyListFile::SetAside notSetAside(PropertyListFile::SetAside::Outcome outcome, int error = 0)
{
    PropertyListFile::SetAside result;
    result.outcome = outcome;
    result.error = error;
    return result;
}

} // namespace

void PropertyListFree::operator()(void* plist) const
{
    plist_free(static_cast<plist_t>(plist));
}

PropertyListFile::Identity PropertyListFile::Identity::of(const struct stat& info)
{
    return { true, info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec };
}

PropertyListFile::PropertyListFile(std::filesystem::path path, std::shared_ptr<FileCalls> calls)
    : _path(std::move(path))
    , _calls(std::move(calls))
{
}

PropertyListFile::Identity PropertyListFile::currentIdentity() const
{
    struct stat info { };
    if (_calls->stat(_path, &info) != 0)
        return { };
    return Identity::of(info);
}

bool PropertyListFile::changedSinceRead() const
{
    return currentIdentity() != _identity;
}

bool PropertyListFile::mustBeSetAside() const
{
    return _found == Found::LossyPropertyList || _found == Found::Unparsable || _found == Found::UnreadableFile;
}

void PropertyListFile::replacedBy(const struct stat& written)
{
    _found = Found::PropertyList;
    _bytes.reset();
    _identity = Identity::of(written);
}

bool PropertyListFile::isRegularFile(const struct stat& info)
{
    _identity = Identity::of(info);
    if (S_ISREG(info.st_mode))
        return true;
    _found = Found::NotAFile;
    _obstacle = { info.st_mode, 0 };
    return false;
}

OwnedPropertyList PropertyListFile::read()
{
    _found = Found::Nothing;
    _obstacle = { };
    _bytes.reset();
    _identity = { };
    // Only a regular file is opened: a pipe would block, a device could be anything, and a folder
    // holds the user's files, none of which is ours to read, move or replace.
    struct stat info { };
    if (_calls->stat(_path, &info) != 0) {
        // Nothing there, or a link to nothing yet: the first write makes the file.
        if (errno != ENOENT) {
            _found = Found::NotAFile;
            _obstacle = { 0, errno };
        }
        return nullptr;
    }
    if (!isRegularFile(info))
        return nullptr;
    _found = Found::UnreadableFile;
    if (static_cast<uint64_t>(info.st_size) > kMaximumFileBytes)
        return nullptr;
    // O_NONBLOCK: whatever may have taken the file's place since the stat must not hold up the launch.
    FileDescriptor file(*_calls, _calls->open(_path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.fd() < 0) {
        if (errno == ENOENT)
            _found = Found::Nothing;
        return nullptr;
    }
    // The identity is taken again from the open file, which may have replaced the one stat saw.
    if (_calls->fstat(file.fd(), &info) != 0 || !isRegularFile(info))
        return nullptr;
    std::string bytes;
    char buffer[16384];
    for (;;) {
        ssize_t count = _calls->read(file.fd(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return nullptr;
        if (!count)
            break;
        bytes.append(buffer, static_cast<size_t>(count));
        // The file may have grown since fstat.
        if (bytes.size() > kMaximumFileBytes)
            return nullptr;
    }
    return parse(std::move(bytes));
}

OwnedPropertyList PropertyListFile::parse(std::string bytes)
{
    bool lossy = false;
    auto parsed = parsePropertyList(bytes, lossy);
    auto rewrite = parsed && plist_get_node_type(parsed.get()) == PLIST_DICT ? rewriteOf(parsed.get()) : Rewrite::Unreadable;
    if (rewrite == Rewrite::Unreadable) {
        _found = Found::Unparsable;
        _bytes = std::move(bytes);
        return nullptr;
    }
    if (lossy || rewrite == Rewrite::Lossy) {
        _found = Found::LossyPropertyList;
        _bytes = std::move(bytes);
    } else {
        _found = Found::PropertyList;
    }
    return parsed;
}

PropertyListFile::SetAside PropertyListFile::setAside(const std::filesystem::path& target, AtomicFileReplacement& replacement)
{
    using Outcome = SetAside::Outcome;
    auto folder = AtomicFileReplacement::folderOf(_path);
    std::optional<std::filesystem::path> copy;
    if (_bytes) {
        copy = replacement.writeTemporaryFile(folder, _bytes->data(), _bytes->size());
        if (!copy)
            return notSetAside(Outcome::CannotCopy, errno);
    } else {
        struct stat info { };
        if (_calls->lstat(target, &info) != 0)
            return notSetAside(errno == ENOENT ? Outcome::Gone : Outcome::CannotInspect, errno);
        auto now = Identity::of(info);
        if (!S_ISREG(info.st_mode) || now.device != _identity.device || now.inode != _identity.inode)
            return notSetAside(Outcome::ChangedMeanwhile);
    }
    const std::filesystem::path& moving = copy ? *copy : target;
    int error = 0;
    for (int index = 0; index < kSetAsideNames; ++index) {
        auto name = _path;
        name += index ? ".corrupt-" + std::to_string(index + 1) : std::string(".corrupt");
        struct stat info { };
        bool replacing = _calls->lstat(name, &info) == 0;
        if (_calls->rename(moving, name) != 0) {
            if (errno == ENOENT && !copy)
                return notSetAside(Outcome::Gone);
            error = errno;
            continue;
        }
        return { Outcome::Kept, replacement.syncFolder(folder) ? 0 : errno, name, replacing };
    }
    if (copy)
        replacement.discard(*copy);
    return notSetAside(Outcome::CannotMove, error);
}
