#include "platform/foundation/NSAttributedString.h"

#include <algorithm>
#include <cassert>
#include <utility>

std::shared_ptr<NSAttributedString> NSAttributedString::initWithString(NSString string, NSDictionary attributes)
{
    auto result = std::shared_ptr<NSAttributedString>(new NSAttributedString);
    result->_string = std::move(string);
    if (result->length())
        result->_runs.push_back({ { 0, result->length() }, std::move(attributes) });
    return result;
}

NSDictionary NSAttributedString::attributesAtIndex(NSUInteger index) const
{
    for (auto& run : _runs) {
        if (index >= run.range.location && index < run.range.end())
            return run.attributes;
    }
    return { };
}

std::shared_ptr<NSMutableAttributedString> NSMutableAttributedString::initWithAttributedString(const NSAttributedString& other)
{
    auto result = std::shared_ptr<NSMutableAttributedString>(new NSMutableAttributedString);
    result->_string = other.string();
    result->_runs = other.runs();
    return result;
}

std::shared_ptr<NSMutableAttributedString> NSMutableAttributedString::initWithString(NSString string, NSDictionary attributes)
{
    auto result = std::shared_ptr<NSMutableAttributedString>(new NSMutableAttributedString);
    result->_string = std::move(string);
    if (result->length())
        result->_runs.push_back({ { 0, result->length() }, std::move(attributes) });
    return result;
}

void NSMutableAttributedString::noteEdit(NSRange range)
{
    if (_edited.location == static_cast<NSUInteger>(NSNotFound)) {
        _edited = range;
        return;
    }
    NSUInteger start = std::min(_edited.location, range.location);
    NSUInteger end = std::max(_edited.end(), range.end());
    _edited = { start, end - start };
}

NSRange NSMutableAttributedString::takeEditedRange()
{
    return std::exchange(_edited, NSRange { static_cast<NSUInteger>(NSNotFound), 0 });
}

void NSMutableAttributedString::setAttributes(const NSDictionary& attributes, NSRange range)
{
    assert(range.end() <= length());
    if (range.end() > length() || range.length == 0)
        return;
    // Only the runs that reach into the range change: the part of the first before it and of the
    // last after it keep their attributes, and the range becomes one run. The others stay where
    // they are, so a text with many runs is not copied for each change.
    auto first = std::partition_point(_runs.begin(), _runs.end(), [&](const Run& run) { return run.range.end() <= range.location; });
    auto last = std::partition_point(first, _runs.end(), [&](const Run& run) { return run.range.location < range.end(); });
    std::vector<Run> replacement;
    if (first != last && first->range.location < range.location)
        replacement.push_back({ { first->range.location, range.location - first->range.location }, first->attributes });
    replacement.push_back({ range, attributes });
    if (first != last && std::prev(last)->range.end() > range.end()) {
        const Run& tail = *std::prev(last);
        replacement.push_back({ { range.end(), tail.range.end() - range.end() }, tail.attributes });
    }
    auto at = _runs.erase(first, last);
    _runs.insert(at, std::make_move_iterator(replacement.begin()), std::make_move_iterator(replacement.end()));
    noteEdit(range);
}

void NSMutableAttributedString::addAttribute(const NSString& name, const std::any& value, NSRange range)
{
    assert(range.end() <= length());
    if (range.end() > length() || range.length == 0)
        return;
    std::vector<Run> runs;
    for (auto& run : _runs) {
        NSUInteger start = std::max(run.range.location, range.location);
        NSUInteger end = std::min(run.range.end(), range.end());
        if (start >= end) {
            runs.push_back(run);
            continue;
        }
        if (run.range.location < start)
            runs.push_back({ { run.range.location, start - run.range.location }, run.attributes });
        Run inside { { start, end - start }, run.attributes };
        inside.attributes[name] = value;
        runs.push_back(std::move(inside));
        if (end < run.range.end())
            runs.push_back({ { end, run.range.end() - end }, run.attributes });
    }
    _runs = std::move(runs);
    coalesce();
    noteEdit(range);
}

void NSMutableAttributedString::coalesce()
{
    std::vector<Run> merged;
    for (auto& run : _runs) {
        if (run.range.length == 0)
            continue;
        merged.push_back(run);
    }
    _runs = std::move(merged);
}
