# Fails when a text of zelvan-cli lacks its translation. xgettext lists the texts of the
# sources by how they are marked: tr() and trPlural() (written in English) must be translated
# in po/zh_CN.po, trZh() and markZh() (the original Chinese) in po/en.po. msgcmp refuses a text
# missing from the catalog or left untranslated or fuzzy there; msgfmt --check refuses a
# translation whose %s do not match its text, and its statistics show any untranslated or
# fuzzy entry of the catalog at all (the core's texts that the catalogs hold as well).
#
#   cmake -DXGETTEXT=... -DMSGCMP=... -DMSGFMT=... -DSOURCE_DIR=... -DWORK_DIR=... -P this
# Every source of the command line, one added later too.
file(GLOB sources ${SOURCE_DIR}/src/cli/*.cpp)
list(SORT sources)
file(MAKE_DIRECTORY ${WORK_DIR})
set(failed FALSE)

function(check_catalog language keywords)
    set(template ${WORK_DIR}/${language}.pot)
    set(options)
    foreach(keyword IN LISTS keywords)
        list(APPEND options --keyword=${keyword})
    endforeach()
    execute_process(
        COMMAND ${XGETTEXT} --language=C++ --from-code=UTF-8 --keyword= ${options}
                --no-location --output=${template} ${sources}
        RESULT_VARIABLE result ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        message(SEND_ERROR "xgettext failed: ${errors}")
        return()
    endif()
    set(catalog ${SOURCE_DIR}/po/${language}.po)
    execute_process(COMMAND ${MSGCMP} ${catalog} ${template}
                    RESULT_VARIABLE result ERROR_VARIABLE errors)
    # The catalogs also hold the core's texts, which are no text of these sources.
    string(REGEX REPLACE "[^\n]*warning: this message is not used\n" "" errors "${errors}")
    if(NOT result EQUAL 0 OR NOT errors STREQUAL "")
        message(SEND_ERROR "po/${language}.po lacks translations:\n${errors}")
    endif()
    execute_process(COMMAND ${MSGFMT} --check --statistics --output-file=/dev/null ${catalog}
                    RESULT_VARIABLE result ERROR_VARIABLE statistics)
    if(NOT result EQUAL 0 OR statistics MATCHES "untranslated|fuzzy")
        message(SEND_ERROR "po/${language}.po: ${statistics}")
    else()
        message(STATUS "po/${language}.po: ${statistics}")
    endif()
endfunction()

check_catalog(zh_CN "tr;trPlural:1,2")
check_catalog(en "trZh;markZh")
