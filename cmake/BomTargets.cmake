# Helpers shared by the project's targets.

# Strict warnings for the project's own code, PRIVATE so consumers never see them.
function(bom_target_warnings target)
  if(BOM_WARNINGS)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
    if(BOM_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# A library of this project, static or shared as BUILD_SHARED_LIBS says:
#
#   bom_add_library(TARGET
#     INCLUDE_DIR dir          its exported headers
#     HEADERS h...             those headers, installed below include/INSTALL_SUBDIR
#     INSTALL_SUBDIR name      the folder of its headers in an install
#     BUILDING macro           defined while building it (symbol export)
#     SOURCES src...)
#
# It gets the namespaced alias VRKBomEngine::TARGET. In the build tree its
# consumers include from INCLUDE_DIR, in an install from include/INSTALL_SUBDIR,
# so `#include <Header.h>` works in both.
function(bom_add_library target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "INCLUDE_DIR;INSTALL_SUBDIR;BUILDING"
                        "HEADERS;SOURCES")
  add_library(${target} ${ARG_SOURCES})
  add_library(VRKBomEngine::${target} ALIAS ${target})
  target_compile_features(${target} PUBLIC cxx_std_17)
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${ARG_INCLUDE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/${ARG_INSTALL_SUBDIR}>)
  target_compile_definitions(${target} PRIVATE ${ARG_BUILDING})
  # Calls inside a library go straight to its own functions, not through the PLT.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -fno-semantic-interposition)
  endif()
  # Installed libraries find their sibling libraries next to themselves.
  set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION}
                        SOVERSION ${PROJECT_VERSION_MAJOR} INSTALL_RPATH "$ORIGIN")
  bom_target_warnings(${target})
  if(BOM_INSTALL)
    install(TARGETS ${target} EXPORT VRKBomEngineTargets
            LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
            ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
            RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    list(TRANSFORM ARG_HEADERS PREPEND ${ARG_INCLUDE_DIR}/)
    install(FILES ${ARG_HEADERS}
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${ARG_INSTALL_SUBDIR})
  endif()
endfunction()

# In sanitizer builds, the LeakSanitizer suppressions of cmake/lsan_suppressions.cpp
# for a program (a hook the runtime calls; it must be in the executable).
function(bom_sanitizer_hooks target)
  if(BOM_SANITIZE OR BOM_FUZZ)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/lsan_suppressions.cpp)
  endif()
endfunction()

# The objects of a library, compiled once for the library and, with
# INTERNALS, for a static archive through which tests and fuzzers reach the
# functions the library does not export:
#
#   bom_add_objects(TARGET [INTERNALS target_internals]
#     BUILDING macro INCLUDE_DIRS dir... LIBS lib... SOURCES src...)
function(bom_add_objects target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "INTERNALS;BUILDING" "INCLUDE_DIRS;LIBS;SOURCES")
  add_library(${target} OBJECT ${ARG_SOURCES})
  target_compile_features(${target} PUBLIC cxx_std_17)
  target_include_directories(${target} PUBLIC ${ARG_INCLUDE_DIRS})
  target_compile_definitions(${target} PRIVATE ${ARG_BUILDING})
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -fno-semantic-interposition)
  endif()
  bom_target_warnings(${target})
  if(ARG_INTERNALS AND (BOM_BUILD_TESTS OR BOM_BUILD_FUZZERS))
    add_library(${ARG_INTERNALS} STATIC)
    target_link_libraries(${ARG_INTERNALS} PUBLIC ${target})
  endif()
endfunction()
