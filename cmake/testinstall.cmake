# Installs the build into a fresh prefix for the tests of the installed
# program: cmake -DBUILD=<build dir> -DPREFIX=<prefix> -P testinstall.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install into ${PREFIX} failed: ${result}")
endif()
