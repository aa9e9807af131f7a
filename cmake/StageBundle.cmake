# Stages one program's bundle: the program, its Info.plist, the changelog and the fonts
# configuration, side by side in one folder. The program finds its fonts configuration beside itself; the changelog is read from the device's bundle path under the device root. The build,
# `make run`, the tests and the packages all stage through this script.
#
#   cmake -DPROGRAM=<program file> -DINFO_PLIST=<file> -DSOURCE_DIR=<checkout> -DBUNDLE=<folder>
#         -P cmake/StageBundle.cmake

foreach(required PROGRAM INFO_PLIST SOURCE_DIR BUNDLE)
  if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
    message(FATAL_ERROR "StageBundle: ${required} is not set")
  endif()
endforeach()

set(resources
  ${INFO_PLIST}
  ${SOURCE_DIR}/resources/CHANGELOG.txt
  ${SOURCE_DIR}/resources/fonts/fonts.conf)
foreach(file IN LISTS resources ITEMS ${PROGRAM})
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "StageBundle: ${file} does not exist")
  endif()
endforeach()

file(MAKE_DIRECTORY ${BUNDLE})
get_filename_component(program_name ${PROGRAM} NAME)
get_filename_component(program_dir ${PROGRAM} DIRECTORY)
get_filename_component(program_dir ${program_dir} REALPATH)
get_filename_component(bundle_dir ${BUNDLE} REALPATH)
# The build links the program into the bundle already; elsewhere it is copied in.
if(NOT program_dir STREQUAL bundle_dir)
  file(COPY_FILE ${PROGRAM} ${BUNDLE}/${program_name} ONLY_IF_DIFFERENT)
endif()
file(COPY_FILE ${INFO_PLIST} ${BUNDLE}/Info.plist ONLY_IF_DIFFERENT)
file(COPY_FILE ${SOURCE_DIR}/resources/CHANGELOG.txt ${BUNDLE}/CHANGELOG.txt ONLY_IF_DIFFERENT)
file(COPY_FILE ${SOURCE_DIR}/resources/fonts/fonts.conf ${BUNDLE}/fonts.conf ONLY_IF_DIFFERENT)
