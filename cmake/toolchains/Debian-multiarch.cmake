# Shared part of the cross toolchains: Debian's cross compilers for ZENTROVA_TRIPLET, with the
# libraries taken from the multiarch packages of the target architecture (libcairo2-dev:arm64 and
# so on) installed beside the native ones. There is no separate sysroot: headers that are the same
# for every architecture live in /usr/include, the rest in /usr/include/<triplet> and
# /usr/lib/<triplet>, where the cross compiler already looks.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${ZENTROVA_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${ZENTROVA_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${ZENTROVA_TRIPLET})

# pkgconf's per-triplet front end reads the target's .pc files only.
set(PKG_CONFIG_EXECUTABLE ${ZENTROVA_TRIPLET}-pkg-config CACHE FILEPATH "pkg-config for the target")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
