# cmake -DMETAINFO=file -DVERSION=x.y.z -P check_release.cmake: fails unless the newest
# release of the metainfo (the first <release>) is VERSION and has a date and notes.
file(READ "${METAINFO}" text)
string(REGEX MATCH "<release version=\"([^\"]*)\" date=\"([0-9-]*)\">[ \n]*<description>"
       release "${text}")
if(NOT release)
  message(FATAL_ERROR "${METAINFO}: no <release version=... date=...> with a description")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "${METAINFO}: the newest release is ${CMAKE_MATCH_1}, the project is "
                      "${VERSION}: add the release notes of ${VERSION}")
endif()
if(NOT CMAKE_MATCH_2 MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
  message(FATAL_ERROR "${METAINFO}: the release date '${CMAKE_MATCH_2}' is not YYYY-MM-DD")
endif()
