# Turns the translation file (Qt Linguist's .ts XML, as lupdate writes it) into the table
# that EnglishTexts() returns, or into JSON for a web page: the one English of every text.
#   cmake -DTS_FILE=klvmaker_en.ts -DOUTPUT=english_texts.cpp -DFORMAT=cpp -P text_table.cmake
#   cmake -DTS_FILE=klvmaker_en.ts -DOUTPUT=klvmaker_en.json -DFORMAT=json -P text_table.cmake
# JSON: {"CONTEXT": {"JAPANESE SOURCE": "ENGLISH", ...}, ...}. A text without its English
# (type="unfinished", or empty) is left out, so that it shows in Japanese.
cmake_minimum_required(VERSION 3.25)
if(NOT TS_FILE OR NOT OUTPUT OR NOT FORMAT MATCHES "^(cpp|json)$")
  message(FATAL_ERROR "usage: cmake -DTS_FILE=... -DOUTPUT=... -DFORMAT=cpp|json -P text_table.cmake")
endif()

# The text between `open` and `close` at the start of `text`'s first `open`, into `out`; the
# rest after `close` into `rest`. `out` is unset when `open` is not found.
function(take text open close out rest)
  unset(${out} PARENT_SCOPE)
  string(FIND "${text}" "${open}" at)
  if(at EQUAL -1)
    set(${rest} "" PARENT_SCOPE)
    return()
  endif()
  string(LENGTH "${open}" open_length)
  math(EXPR start "${at} + ${open_length}")
  string(SUBSTRING "${text}" ${start} -1 after)
  string(FIND "${after}" "${close}" end)
  if(end EQUAL -1)
    message(FATAL_ERROR "${TS_FILE}: \"${open}\" without \"${close}\"")
  endif()
  string(SUBSTRING "${after}" 0 ${end} inner)
  string(LENGTH "${close}" close_length)
  math(EXPR past "${end} + ${close_length}")
  string(SUBSTRING "${after}" ${past} -1 remaining)
  set(${out} "${inner}" PARENT_SCOPE)
  set(${rest} "${remaining}" PARENT_SCOPE)
endfunction()

# XML text as the body of a C++ or JSON string literal: the two languages share the
# escapes used here (\\ \" \n \r \t \uXXXX).
function(literal xml out)
  set(text "${xml}")
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  string(REPLACE "\n" "\\n" text "${text}")
  string(REPLACE "\r" "\\r" text "${text}")
  string(REPLACE "\t" "\\t" text "${text}")
  string(REPLACE "&quot;" "\\\"" text "${text}")
  string(REPLACE "&apos;" "'" text "${text}")
  string(REPLACE "&lt;" "<" text "${text}")
  string(REPLACE "&gt;" ">" text "${text}")
  # Character references: lupdate writes some characters (U+3000, say) so.
  while(text MATCHES "&#(x[0-9A-Fa-f]+|[0-9]+);")
    set(reference "${CMAKE_MATCH_0}")
    set(number "${CMAKE_MATCH_1}")
    if(number MATCHES "^x(.*)")
      set(number "0x${CMAKE_MATCH_1}")
    endif()
    math(EXPR code "${number}" OUTPUT_FORMAT HEXADECIMAL)
    string(REGEX REPLACE "^0x" "" hex "${code}")
    string(LENGTH "${hex}" digits)
    if(code LESS 0xA0 OR digits GREATER 4)
      message(FATAL_ERROR "${TS_FILE}: the reference ${reference} has no form in both "
                          "languages' literals; write the character itself")
    endif()
    string(SUBSTRING "0000${hex}" ${digits} 4 padded)
    string(TOUPPER "${padded}" padded)
    string(REPLACE "${reference}" "\\u${padded}" text "${text}")
  endwhile()
  string(REPLACE "&amp;" "&" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(READ "${TS_FILE}" rest)
set(entries "")
set(contexts "")
while(TRUE)
  take("${rest}" "<context>" "</context>" context rest)
  if(NOT DEFINED context)
    break()
  endif()
  take("${context}" "<name>" "</name>" name messages)
  literal("${name}" name)
  set(members "")
  while(TRUE)
    take("${messages}" "<message>" "</message>" message messages)
    if(NOT DEFINED message)
      break()
    endif()
    take("${message}" "<source>" "</source>" source after_source)
    take("${after_source}" "<translation" "</translation>" translation ignored)
    # `translation` starts with the element's attributes up to its ">".
    if(NOT DEFINED source OR NOT DEFINED translation OR translation MATCHES "^[^>]*type=")
      continue()
    endif()
    string(REGEX REPLACE "^[^>]*>" "" translation "${translation}")
    if(translation STREQUAL "")
      continue()
    endif()
    literal("${source}" source)
    literal("${translation}" translation)
    if(FORMAT STREQUAL "cpp")
      string(APPEND entries "    {\"${name}\", \"${source}\", \"${translation}\"},\n")
    else()
      if(NOT members STREQUAL "")
        string(APPEND members ",\n")
      endif()
      string(APPEND members "    \"${source}\": \"${translation}\"")
    endif()
  endwhile()
  if(FORMAT STREQUAL "json" AND NOT members STREQUAL "")
    if(NOT contexts STREQUAL "")
      string(APPEND contexts ",\n")
    endif()
    string(APPEND contexts "  \"${name}\": {\n${members}\n  }")
  endif()
endwhile()

get_filename_component(ts_name "${TS_FILE}" NAME)
if(FORMAT STREQUAL "cpp")
  set(content "// Made by language/text_table.cmake from ${ts_name} at build time; edit the .ts.
#include \"language/ui_text.h\"

namespace klv {
namespace {

constexpr TextTranslation kEnglish[] = {
${entries}};

}  // namespace

std::span<const TextTranslation> EnglishTexts() { return kEnglish; }

}  // namespace klv
")
else()
  set(content "{\n${contexts}\n}\n")
endif()
file(WRITE "${OUTPUT}.new" "${content}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
