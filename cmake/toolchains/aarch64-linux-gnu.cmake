# 64-bit ARM (Debian arm64), for the main program.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ZENTROVA_TRIPLET aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/Debian-multiarch.cmake)
