# Installs the build directory BUILD_DIR into PREFIX (emptied first) and
# checks that every file of EXPECTED is there, executables executable, and
# that ICON_DIR holds the icon at each of ICON_SIZES with those pixel sizes.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(problems "")
foreach(file IN LISTS EXPECTED)
    if(NOT EXISTS ${PREFIX}/${file})
        string(APPEND problems "\n  missing: ${file}")
    elseif(file MATCHES "(^|/)bin/")
        execute_process(COMMAND test -x ${PREFIX}/${file} RESULT_VARIABLE executable)
        if(NOT executable EQUAL 0)
            string(APPEND problems "\n  not executable: ${file}")
        endif()
    endif()
endforeach()

# A PNG's width and height are the big-endian words at bytes 16 and 20.
foreach(size IN LISTS ICON_SIZES)
    set(icon ${PREFIX}/${ICON_DIR}/${size}x${size}/apps/zm_config.png)
    if(NOT EXISTS ${icon})
        string(APPEND problems "\n  missing: ${ICON_DIR}/${size}x${size}/apps/zm_config.png")
        continue()
    endif()
    file(READ ${icon} header LIMIT 24 HEX)
    string(SUBSTRING "${header}" 0 16 signature)
    string(SUBSTRING "${header}" 32 8 width)
    string(SUBSTRING "${header}" 40 8 height)
    math(EXPR width "0x${width}")
    math(EXPR height "0x${height}")
    if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size OR NOT height EQUAL size)
        string(APPEND problems "\n  ${size}x${size} icon is a ${width}x${height} image (signature ${signature})")
    endif()
endforeach()

if(problems)
    message(FATAL_ERROR "installed tree in ${PREFIX}:${problems}")
endif()
