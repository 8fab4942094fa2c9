# Makes all of the game's art a second time, into a fresh folder, with the steps the build ran
# (ArtSteps.cmake), and compares every library and file of the program folder, and the contact
# sheet, with the build's own: the same sources and packages must give the same bytes.
#   cmake -DSTEPS=<ArtSteps.cmake> -DBUILD_ROOT=<build folder> -P SecondArtBuild.cmake
if(NOT STEPS OR NOT BUILD_ROOT)
    message(FATAL_ERROR "usage: cmake -DSTEPS=<file> -DBUILD_ROOT=<folder> -P SecondArtBuild.cmake")
endif()

if(DEFINED ENV{TMPDIR})
    set(temp_base $ENV{TMPDIR})
else()
    set(temp_base /tmp)
endif()
string(RANDOM LENGTH 12 suffix)
set(ROOT ${temp_base}/vorn_second_art_${suffix})
file(REMOVE_RECURSE ${ROOT})
file(MAKE_DIRECTORY ${ROOT}/art ${ROOT}/game)

set(failures "")
function(vorn_art_step)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        set(failures "${failures}step ${ARGV0} failed (${result}): ${errors}\n" PARENT_SCOPE)
    endif()
endfunction()
function(vorn_art_compare file)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${BUILD_ROOT}/${file} ${ROOT}/${file}
        RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    if(NOT result EQUAL 0)
        set(failures "${failures}${file} differs between the two builds\n" PARENT_SCOPE)
    endif()
endfunction()

include(${STEPS})
file(REMOVE_RECURSE ${ROOT})
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
message(STATUS "both builds gave the same bytes")
