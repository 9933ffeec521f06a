# tinyxml2 and RapidJSON come from the system (or, for the Windows cross
# build, from a prefix made by dev.sh); nothing is vendored.
# A build folder configured before the static prefix existed keeps the
# system's shared tinyxml2 in its cache: the component would then need that
# library on the till and mix two C++ runtimes through it. A prefix wins.
foreach(prefix IN LISTS CMAKE_PREFIX_PATH)
  if(EXISTS "${prefix}/lib/cmake/tinyxml2" AND DEFINED CACHE{tinyxml2_DIR}
     AND NOT tinyxml2_DIR STREQUAL "${prefix}/lib/cmake/tinyxml2")
    unset(tinyxml2_DIR CACHE)
  endif()
endforeach()
find_package(tinyxml2 CONFIG QUIET)
if(TARGET tinyxml2::tinyxml2)
  add_library(zarvik::tinyxml2 ALIAS tinyxml2::tinyxml2)
else()
  find_path(TINYXML2_INCLUDE_DIR tinyxml2.h REQUIRED)
  find_library(TINYXML2_LIBRARY NAMES tinyxml2 REQUIRED)
  add_library(zarvik::tinyxml2 UNKNOWN IMPORTED)
  set_target_properties(zarvik::tinyxml2 PROPERTIES
    IMPORTED_LOCATION ${TINYXML2_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${TINYXML2_INCLUDE_DIR})
endif()

find_path(RAPIDJSON_INCLUDE_DIR rapidjson/document.h REQUIRED)
add_library(zarvik::rapidjson INTERFACE IMPORTED)
set_target_properties(zarvik::rapidjson PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${RAPIDJSON_INCLUDE_DIR})
