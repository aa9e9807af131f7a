#pragma once

#include <string>
#include <string_view>

// The one-line notation shared by the dry-run printer and the recorder, so that what a dry run
// prints is exactly what a test can expect: setuid(0), system("killall -9 SpringBoard").
std::string identityCallNotation(std::string_view function, unsigned long id);
std::string stringCallNotation(std::string_view function, const std::string& argument);
