# Finds what the Python module needs: the interpreter Debian's python3-*
# packages install into (/usr/bin/python3, unless -DPython3_EXECUTABLE names
# another, so that a python3 first on the PATH is not picked), its headers and
# pybind11. Sets bom_python_default to ON when all are there.
if(NOT DEFINED CACHE{Python3_EXECUTABLE} AND EXISTS /usr/bin/python3)
  set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "The Python interpreter")
endif()
find_package(Python3 QUIET COMPONENTS Interpreter Development.Module)
if(Python3_FOUND)
  find_package(pybind11 2.6 CONFIG QUIET)
endif()
if(Python3_FOUND AND pybind11_FOUND)
  set(bom_python_default ON)
else()
  message(STATUS "Python module vrkbom not built: no python3 headers or no pybind11 "
                 "(Debian: python3-dev, pybind11-dev)")
endif()
