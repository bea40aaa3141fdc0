# Fails when a text of the application lacks its finished English translation: lupdate reads
# the sources of src/ui and src/res into a copy of src/res/zelvan_en.ts, which must then hold
# no unfinished message (a tr() text without its English, or one whose source text changed)
# and none obsolete or vanished (a translation no text needs any more).
#
#   cmake -DLUPDATE=... -DSOURCE_DIR=... -DWORK_DIR=... -P this
file(MAKE_DIRECTORY ${WORK_DIR})
set(copy ${WORK_DIR}/zelvan_en.ts)
configure_file(${SOURCE_DIR}/src/res/zelvan_en.ts ${copy} COPYONLY)
execute_process(
    COMMAND ${LUPDATE} -silent -locations none -extensions cpp,h
            ${SOURCE_DIR}/src/ui ${SOURCE_DIR}/src/res -ts ${copy}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed:\n${output}")
endif()
file(STRINGS ${copy} lines ENCODING UTF-8)
set(faults)
set(source "")
foreach(line IN LISTS lines)
    if(line MATCHES "<source>(.*)</source>")
        set(source "${CMAKE_MATCH_1}")
    elseif(line MATCHES "type=\"(unfinished|obsolete|vanished)\"")
        string(APPEND faults "  ${CMAKE_MATCH_1}: ${source}\n")
    endif()
endforeach()
if(faults)
    message(FATAL_ERROR "src/res/zelvan_en.ts is not finished (run the update_translations "
                        "target and translate):\n${faults}")
endif()
