# zentrova_profile(NAME LEGACY [PROGRAM]) builds the platform layer, the app and one program under
# one build profile. Every library of a profile carries ZENTROVA_LEGACY so that CGFloat, NSInteger
# and the legacy behaviour are fixed at compile time.

function(zentrova_glob out)
  set(files)
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

function(zentrova_profile name legacy program)
  zentrova_glob(platform_sources platform/foundation platform/quartzcore platform/system
                platform/render platform/uikit)
  add_library(zplatform_${name} STATIC ${platform_sources})
  target_include_directories(zplatform_${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_definitions(zplatform_${name} PUBLIC ZENTROVA_LEGACY=${legacy}
    ZENTROVA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_link_libraries(zplatform_${name} PUBLIC PkgConfig::CAIRO PkgConfig::PANGOCAIRO
    PkgConfig::FONTCONFIG PkgConfig::PLIST PkgConfig::GIF PkgConfig::PNG)

  zentrova_glob(host_sources platform/host)
  add_library(zhost_${name} STATIC ${host_sources})
  target_link_libraries(zhost_${name} PUBLIC zplatform_${name} PkgConfig::SDL2
    nlohmann_json::nlohmann_json)

  # The app is an object library so that every class registers itself by name, as the
  # platform's class look-up expects, whichever program or test links it.
  zentrova_glob(app_sources app power prefs screens)
  list(FILTER app_sources EXCLUDE REGEX "/app/main\\.cpp$")
  add_library(zapp_${name} OBJECT ${app_sources})
  target_link_libraries(zapp_${name} PUBLIC zhost_${name})

  # A profile without a program yet is still compiled whole, so both widths keep building.
  if(NOT program)
    return()
  endif()
  add_executable(${program} ${CMAKE_SOURCE_DIR}/app/main.cpp)
  target_link_libraries(${program} PRIVATE zapp_${name})
  set_target_properties(${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

  # The bundle's Info.plist: the main program declares its lowest system release, the legacy one none.
  set(ZENTROVA_EXECUTABLE ${program})
  if(legacy)
    set(ZENTROVA_MINIMUM_OS_ENTRY "")
    set(plist_name Info-legacy.plist)
  else()
    set(ZENTROVA_MINIMUM_OS_ENTRY "\t<key>MinimumOSVersion</key>\n\t<string>7.0</string>\n")
    set(plist_name Info.plist)
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/app/Info.plist.in ${CMAKE_BINARY_DIR}/${plist_name} @ONLY)
endfunction()
