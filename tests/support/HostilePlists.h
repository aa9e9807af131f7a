#pragma once

#include <string>
#include <vector>

// Property lists made to hurt a reader: binary ones written object by object, so that their
// references can nest, repeat and loop as no writer would make them.

// A binary property list of the given encoded objects (the top one first), with references of
// REFERENCE_SIZE bytes.
std::string binaryPlistFromObjects(const std::vector<std::string>& objects, int referenceSize);
// An array object holding the given references.
std::string binaryArrayObject(const std::vector<size_t>& references, int referenceSize);

// A dictionary whose "lightSwitch" is YES and whose "k" holds arrays nested DEPTH deep.
std::string deepBinaryPlist(int depth);
// A dictionary whose "lightSwitch" is YES and whose "k" holds LEVELS arrays that each hold the
// next one twice: a few hundred bytes that expand to 2^LEVELS nodes.
std::string expandingBinaryPlist(int levels);
// A dictionary whose "lightSwitch" is YES and whose "k" holds two arrays that hold each other.
std::string cyclicBinaryPlist();
// An XML property list with "lightSwitch" YES and arrays nested DEPTH deep under "k".
std::string deepXMLPlist(int depth);
