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

# A library of this project: namespaced alias, headers in `include_dir`,
# exported and installed.
function(bom_add_library target include_dir building_macro)
  add_library(${target} ${ARGN})
  add_library(VRKBomEngine::${target} ALIAS ${target})
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${include_dir}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_definitions(${target} PRIVATE ${building_macro})
  # Calls inside a library go straight to its own functions, not through the PLT.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -fno-semantic-interposition)
  endif()
  # Installed libraries find their sibling stand-ins next to themselves.
  set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
                        INSTALL_RPATH "$ORIGIN")
  bom_target_warnings(${target})
  if(BOM_INSTALL)
    install(TARGETS ${target} EXPORT VRKBomEngineTargets
            LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
            ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
            RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    file(GLOB headers ${include_dir}/*.h)
    install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  endif()
endfunction()
