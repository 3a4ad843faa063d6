# Builds and runs the consumer program the way a host project would get the
# libraries:
#   MODE=install     installs the build tree into a scratch prefix and uses it
#                    through find_package (consumer/);
#   MODE=subproject  builds the source tree inside the host's own tree with
#                    add_subdirectory (subproject/).
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGV}")
  endif()
endfunction()

set(flags "")
if(SANITIZE)
  set(flags "-fsanitize=address,undefined")
endif()
set(common -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${flags}"
           "-DCMAKE_EXE_LINKER_FLAGS=${flags}" "-DCMAKE_SHARED_LINKER_FLAGS=${flags}")

if(MODE STREQUAL "install")
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer -B ${WORK_DIR}/build
      -DCMAKE_PREFIX_PATH=${prefix} ${common})
else()
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/subproject -B ${WORK_DIR}/build
      -DBOM_SOURCE_DIR=${SOURCE_DIR} ${common})
endif()
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build -j2)
run(${WORK_DIR}/build/bom_consumer)
