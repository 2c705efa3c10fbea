# Builds the .deb of the build directory BUILD_DIR into OUT_DIR with cpack
# and checks what a fresh Debian 12 needs to know: the declared
# dependencies (DEPENDS, each a package name that must appear) and the
# files (FILES, paths inside the package).
file(REMOVE_RECURSE ${OUT_DIR})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G DEB -B ${OUT_DIR} --config ${BUILD_DIR}/CPackConfig.cmake
                WORKING_DIRECTORY ${BUILD_DIR} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(GLOB debs ${OUT_DIR}/*.deb)
list(LENGTH debs count)
if(NOT result EQUAL 0 OR NOT count EQUAL 1)
    message(FATAL_ERROR "cpack failed (${result}), ${count} package(s):\n${output}")
endif()

execute_process(COMMAND dpkg-deb --field ${debs} Package Version Depends OUTPUT_VARIABLE fields)
execute_process(COMMAND dpkg-deb --contents ${debs} OUTPUT_VARIABLE contents)
set(problems "")
foreach(package IN LISTS DEPENDS)
    if(NOT fields MATCHES "Depends:[^\n]*[ ,]${package}[ ,(\n]")
        string(APPEND problems "\n  not a dependency: ${package}")
    endif()
endforeach()
foreach(path IN LISTS FILES)
    string(FIND "${contents}" " ./${path}\n" at)
    if(at EQUAL -1)
        string(APPEND problems "\n  not in the package: ${path}")
    endif()
endforeach()
if(problems)
    message(FATAL_ERROR "${debs}:\n${fields}${problems}")
endif()
message(STATUS "${debs}\n${fields}")
