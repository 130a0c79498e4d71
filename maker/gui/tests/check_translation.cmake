# The English translation is complete and up to date: lupdate, run over the front ends' sources
# into a copy of the .ts, must find no text without its English (a new or changed text
# comes in as "unfinished") and must change nothing (a removed text would go).
# cmake -DLUPDATE=... -DOPTIONS=... -DSOURCES=... -DTS_FILE=... -DCOPY=... -P this file
execute_process(COMMAND ${CMAKE_COMMAND} -E copy ${TS_FILE} ${COPY} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${LUPDATE} ${OPTIONS} ${SOURCES} -ts ${COPY}
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(READ ${COPY} updated)
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"unfinished\"" missing
       "${updated}")
if(missing)
  string(REGEX REPLACE "<translation type=\"unfinished\"" "" missing "${missing}")
  message(FATAL_ERROR "texts without English in ${TS_FILE}: ${missing}\n"
                      "run: cmake --build build/dev --target update_translations, then translate them")
endif()
file(READ ${TS_FILE} committed)
if(NOT committed STREQUAL updated)
  message(FATAL_ERROR "${TS_FILE} is out of date with the sources; "
                      "run: cmake --build build/dev --target update_translations")
endif()
