# Fails unless building each of TARGETS alone makes every file of FILES in the program folder.
foreach(target IN LISTS TARGETS)
    execute_process(COMMAND ${NINJA} -C ${BUILD_ROOT} -t commands ${target}
        OUTPUT_VARIABLE commands RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "ninja cannot list the commands of ${target}")
    endif()
    foreach(file IN LISTS FILES)
        string(FIND "${commands}" "game/${file}" at)
        if(at EQUAL -1)
            message(SEND_ERROR "building ${target} alone does not make game/${file}")
        endif()
    endforeach()
endforeach()
