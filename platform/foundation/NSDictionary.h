#pragma once

#include "platform/foundation/NSString.h"

#include <any>
#include <cstddef>
#include <map>

// A dictionary of attributes keyed by name, as the platform's text attributes are. Values are held
// by value; readers take out the type they expect.
using NSDictionary = std::map<NSString, std::any>;

inline NSDictionary dictionaryWithObjects(const std::any* objects, const NSString* forKeys, size_t count)
{
    NSDictionary dictionary;
    for (size_t i = 0; i < count; ++i)
        dictionary[forKeys[i]] = objects[i];
    return dictionary;
}

// The value under the key if it is a T, else none.
template<typename T>
const T* valueForKey(const NSDictionary& dictionary, const NSString& key)
{
    auto it = dictionary.find(key);
    return it == dictionary.end() ? nullptr : std::any_cast<T>(&it->second);
}

extern const NSString NSFontAttributeName;
extern const NSString NSForegroundColorAttributeName;
