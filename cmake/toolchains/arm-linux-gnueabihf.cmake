# 32-bit ARM, EABI5 with hardware floating point (Debian armhf), for the legacy program.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(ZENTROVA_TRIPLET arm-linux-gnueabihf)
# GCC notes on every std::vector of small structs that their passing changed in GCC 7.1; nothing
# here links against code built by an older compiler.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
include(${CMAKE_CURRENT_LIST_DIR}/Debian-multiarch.cmake)
