#pragma once

#include <cstddef>
#include <string_view>

// Property lists are checked against these bounds before libplist builds anything from them: a
// binary list can refer to one object from many places, or to itself, so that a few hundred bytes
// expand to more nodes than memory holds; and libplist descends recursively, so a deep enough
// nesting overflows its stack.
//
// The expanded cost counts every node as it would be after expansion (an object referred to twice
// counts twice), each at a fixed overhead plus the bytes of its text or data.
inline constexpr int kMaximumPropertyListDepth = 64;
inline constexpr size_t kMaximumPropertyListCost = 16 << 20;
inline constexpr size_t kPropertyListNodeCost = 64;

// Whether BYTES, a binary property list ("bplist00"), is well formed as far as its trailer, its
// offset table and the references between its objects go, has no reference cycle, nests no deeper
// than the maximum and expands to no more than the maximum cost.
bool binaryPropertyListIsWithinLimits(std::string_view bytes);

// Whether every string of BYTES, a binary property list within the limits, is text that libplist
// reads as it is: ASCII strings hold no byte past 127 and UTF-16 strings no unpaired surrogate.
// libplist reads such a string changed (an unpaired surrogate as an empty string), so a rewrite of
// the list would lose the original bytes.
bool binaryPropertyListTextIsWellFormed(std::string_view bytes);

// Whether the elements of BYTES, an XML property list, nest no deeper than the maximum (the root
// value is the first level; the <plist> element around it is not counted). A scan, not a parse:
// comments, processing instructions, declarations and CDATA sections are skipped whole.
bool xmlPropertyListIsWithinLimits(std::string_view bytes);
