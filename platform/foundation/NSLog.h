#pragma once

#include <string>

// Writes a line to the standard error, as the platform's console log does: warnings of the
// platform that the program goes on after.
void NSLog(const std::string& message);

// How the log names an object: <ClassName: 0x1234abcd>.
class NSObject;
std::string NSLogDescription(const NSObject* object);
