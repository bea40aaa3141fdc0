# lupdate over every source that holds a text of the application: src/ui and src/res, and the
# core's ZELVAN_TEXT in db, fare, journey and update.
#
#   cmake -DLUPDATE=... -DSOURCE_DIR=... -DMODE=update -P this
#       reads the texts into src/res/zelvan_en.ts (new ones unfinished, gone ones obsolete)
#   cmake -DLUPDATE=... -DSOURCE_DIR=... -DMODE=check -DWORK_DIR=... -P this
#       the same into a copy, and fails when it then holds a message unfinished (a text
#       without its English, or one whose source text changed), obsolete or vanished (a
#       translation no text needs any more), or a context other than "zelvan"
set(ts ${SOURCE_DIR}/src/res/zelvan_en.ts)
if(MODE STREQUAL "check")
    file(MAKE_DIRECTORY ${WORK_DIR})
    configure_file(${ts} ${WORK_DIR}/zelvan_en.ts COPYONLY)
    set(ts ${WORK_DIR}/zelvan_en.ts)
endif()
set(dirs)
foreach(dir ui res db fare journey update)
    list(APPEND dirs ${SOURCE_DIR}/src/${dir})
endforeach()
execute_process(
    COMMAND ${LUPDATE} -silent -locations none -extensions cpp,h
            -tr-function-alias QT_TRANSLATE_NOOP+=ZELVAN_TEXT ${dirs} -ts ${ts}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed:\n${output}")
endif()
if(NOT MODE STREQUAL "check")
    return()
endif()
file(STRINGS ${ts} lines ENCODING UTF-8)
set(faults)
set(source "")
foreach(line IN LISTS lines)
    # The program looks every text up in the one context "zelvan": one in another is never
    # found.
    if(line MATCHES "<name>(.*)</name>" AND NOT CMAKE_MATCH_1 STREQUAL "zelvan")
        string(APPEND faults "  context ${CMAKE_MATCH_1}: use \"zelvan\"\n")
    endif()
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
