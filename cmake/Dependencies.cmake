# tinyxml2, pugixml and RapidJSON come from the system (or, for the shipped
# component and the Windows cross build, from prefixes of static libraries
# that dev.sh builds from Debian's sources); nothing is vendored.
# A build folder configured before the static prefix existed keeps the
# system's shared library in its cache: the component would then need that
# library on the till and mix two C++ runtimes through it. A prefix wins.
foreach(package IN ITEMS tinyxml2 pugixml)
  foreach(prefix IN LISTS CMAKE_PREFIX_PATH)
    if(EXISTS "${prefix}/lib/cmake/${package}" AND DEFINED CACHE{${package}_DIR}
       AND NOT ${package}_DIR STREQUAL "${prefix}/lib/cmake/${package}")
      unset(${package}_DIR CACHE)
    endif()
  endforeach()
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

# pugixml::pugixml is the shared library where the package has one, the
# static one in our prefixes.
find_package(pugixml CONFIG QUIET)
if(TARGET pugixml::pugixml)
  add_library(zarvik::pugixml ALIAS pugixml::pugixml)
else()
  find_path(PUGIXML_INCLUDE_DIR pugixml.hpp REQUIRED)
  find_library(PUGIXML_LIBRARY NAMES pugixml REQUIRED)
  add_library(zarvik::pugixml UNKNOWN IMPORTED)
  set_target_properties(zarvik::pugixml PROPERTIES
    IMPORTED_LOCATION ${PUGIXML_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${PUGIXML_INCLUDE_DIR})
endif()

find_path(RAPIDJSON_INCLUDE_DIR rapidjson/document.h REQUIRED)
add_library(zarvik::rapidjson INTERFACE IMPORTED)
set_target_properties(zarvik::rapidjson PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${RAPIDJSON_INCLUDE_DIR})
