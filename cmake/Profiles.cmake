# zentrova_profile(NAME LEGACY PROGRAM) builds the platform layer, the app and one program under one
# build profile. Every library of a profile carries ZENTROVA_LEGACY, so that CGFloat, NSInteger and
# the screens' profile values are fixed at compile time.
#
# Behaviour that differs in kind between the two profiles lives in small hooks in files named for
# their profile: `Name.main.cpp` is compiled into the main build only, `Name.legacy.cpp` into the
# legacy build only, every other source into both. A hook is declared once in a shared header and
# defined in both files; code only one build has is declared in a `Name.main.h` (or `.legacy.h`)
# that only that build's files include. The same rule picks the tests only one build can have.

set(ZENTROVA_BUNDLE_IDENTIFIER "com.zentrova.app" CACHE STRING
  "Bundle identifier of both programs; it also names the preferences file")

# Where "Donate" on the settings screen leads: the payment service's host and the button identifier
# of the donation account, https://HOST/cgi-bin/websrc?cmd=_s-xclick&hosted_button_id=ID.
set(ZENTROVA_DONATION_HOST "www.paypal.com" CACHE STRING "Host of the donation page")
set(ZENTROVA_DONATION_BUTTON_ID "ZNTRV3DONATE" CACHE STRING "Button identifier of the donation account")

# Sources under the given folders of the checkout, for one profile.
function(zentrova_profile_sources out name)
  set(files)
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND files ${found})
  endforeach()
  zentrova_filter_profile(files ${name} ${files})
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# Keeps, of a list of sources, those that belong to one profile.
function(zentrova_filter_profile out name)
  set(files ${ARGN})
  if(name STREQUAL "legacy")
    list(FILTER files EXCLUDE REGEX "\\.main\\.cpp$")
  else()
    list(FILTER files EXCLUDE REGEX "\\.legacy\\.cpp$")
  endif()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# The privileged helper (platform/system/helper/): one small program for both profiles, built with
# nothing of the project's compile and link options (no sanitizer, no fuzzer) and linked against the
# C library alone, whose image the platform layer carries inside itself (PrivilegedHelperImage.cpp).
function(zentrova_privileged_helper)
  if(TARGET zentrova-privileged-helper)
    return()
  endif()
  add_executable(zentrova-privileged-helper ${CMAKE_SOURCE_DIR}/platform/system/helper/PrivilegedHelper.cpp)
  target_include_directories(zentrova-privileged-helper PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(zentrova-privileged-helper PROPERTIES
    COMPILE_OPTIONS "-O2;-g0;-Wall;-Wextra;-fno-exceptions;-fno-rtti;-fno-asynchronous-unwind-tables"
    LINK_OPTIONS "-nodefaultlibs;-s;-Wl,--as-needed"
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_link_libraries(zentrova-privileged-helper PRIVATE c gcc)
endfunction()

function(zentrova_profile name legacy program)
  zentrova_privileged_helper()
  zentrova_profile_sources(platform_sources ${name} platform/foundation platform/quartzcore
    platform/system platform/render platform/uikit)
  list(FILTER platform_sources EXCLUDE REGEX "/platform/system/helper/")
  add_library(zplatform_${name} STATIC ${platform_sources})
  set(helper_file ${CMAKE_BINARY_DIR}/bin/zentrova-privileged-helper)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/platform/system/PrivilegedHelperImage.cpp
    TARGET_DIRECTORY zplatform_${name} PROPERTIES
    COMPILE_DEFINITIONS ZENTROVA_PRIVILEGED_HELPER_FILE="${helper_file}" OBJECT_DEPENDS ${helper_file})
  add_dependencies(zplatform_${name} zentrova-privileged-helper)
  target_include_directories(zplatform_${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_definitions(zplatform_${name} PUBLIC ZENTROVA_LEGACY=${legacy}
    ZENTROVA_BUNDLE_IDENTIFIER="${ZENTROVA_BUNDLE_IDENTIFIER}")
  target_link_libraries(zplatform_${name} PUBLIC PkgConfig::CAIRO PkgConfig::PANGOCAIRO
    PkgConfig::FONTCONFIG PkgConfig::PLIST PkgConfig::GIF PkgConfig::PNG)

  zentrova_profile_sources(host_sources ${name} platform/host)
  add_library(zhost_${name} STATIC ${host_sources})
  target_link_libraries(zhost_${name} PUBLIC zplatform_${name} PkgConfig::SDL2
    nlohmann_json::nlohmann_json)

  # The app is an object library so that every class registers itself by name, as the
  # platform's class look-up expects, whichever program or test links it.
  zentrova_profile_sources(app_sources ${name} app power prefs screens)
  list(FILTER app_sources EXCLUDE REGEX "/app/main\\.cpp$")
  add_library(zapp_${name} OBJECT ${app_sources})
  target_link_libraries(zapp_${name} PUBLIC zhost_${name})
  target_compile_definitions(zapp_${name} PUBLIC ZENTROVA_DONATION_HOST="${ZENTROVA_DONATION_HOST}"
    ZENTROVA_DONATION_BUTTON_ID="${ZENTROVA_DONATION_BUTTON_ID}")

  # The program is one executable, linked straight into its bundle folder, build/bin/<program>.app/;
  # the staging step puts beside it what a run needs, and build/bin/<program> points at it.
  set(bundle ${CMAKE_BINARY_DIR}/bin/${program}.app)
  add_executable(${program} ${CMAKE_SOURCE_DIR}/app/main.cpp)
  target_link_libraries(${program} PRIVATE zapp_${name})
  set_target_properties(${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${bundle})

  # The bundle's Info.plist: the main program declares its lowest system release, the legacy one none.
  set(ZENTROVA_EXECUTABLE ${program})
  if(legacy)
    set(ZENTROVA_MINIMUM_OS_ENTRY "")
  else()
    set(ZENTROVA_MINIMUM_OS_ENTRY "\t<key>MinimumOSVersion</key>\n\t<string>7.0</string>\n")
  endif()
  set(info_plist ${CMAKE_BINARY_DIR}/${program}-Info.plist)
  configure_file(${CMAKE_SOURCE_DIR}/app/Info.plist.in ${info_plist} @ONLY)

  add_custom_command(TARGET ${program} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DINFO_PLIST=${info_plist}
            -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DBUNDLE=${bundle} -P ${CMAKE_SOURCE_DIR}/cmake/StageBundle.cmake
    COMMAND ${CMAKE_COMMAND} -E create_symlink ${program}.app/${program} ${CMAKE_BINARY_DIR}/bin/${program}
    VERBATIM)
  set_property(TARGET ${program} PROPERTY ZENTROVA_BUNDLE ${bundle})
  set_property(TARGET ${program} PROPERTY ZENTROVA_INFO_PLIST ${info_plist})
endfunction()
