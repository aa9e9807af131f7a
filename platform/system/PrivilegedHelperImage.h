#pragma once

#include <span>

// The bytes of the privileged helper's executable, which the program carries inside itself.
std::span<const unsigned char> privilegedHelperImage();
