# The end-to-end driver's protocol table (tests/e2e/kvlctl.protocol) as a C++ header for kvlctl.exe: the exit codes
# (enum Exit), the greeting, how long posted input may take, and each request's name, arguments and reply format
# (enum Request and kRequests, both in the table's order). The harness reads the same table; the header is made again at
# configure time whenever the table changes.
function(kvl_driver_protocol table header)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${table})
  file(STRINGS ${table} raw)
  # Whole entries: comment lines and empty lines left out, a line that starts with a blank joined to the one before.
  set(entries)
  set(entry "")
  foreach(line IN LISTS raw)
    if(line MATCHES "^#" OR line MATCHES "^[ \t]*$")
      continue()
    elseif(line MATCHES "[\"\\\\]")
      message(FATAL_ERROR "${table}: the header takes no quotes or backslashes: ${line}")
    elseif(line MATCHES "^[ \t]+(.*)$")
      string(APPEND entry " ${CMAKE_MATCH_1}")
    else()
      if(NOT entry STREQUAL "")
        list(APPEND entries "${entry}")
      endif()
      set(entry "${line}")
    endif()
  endforeach()
  list(APPEND entries "${entry}")

  set(KVL_EXITS "")
  set(KVL_REQUEST_IDS "")
  set(KVL_REQUESTS "")
  set(KVL_GREETING "")
  set(KVL_POSTED_INPUT_MS "")
  set(KVL_REQUEST_COUNT 0)
  foreach(entry IN LISTS entries)
    if(entry MATCHES "^exit ([a-z-]+) ([0-9]+)$")
      string(TOUPPER "EXIT_${CMAKE_MATCH_1}" name)
      string(REPLACE "-" "_" name "${name}")
      string(APPEND KVL_EXITS "    ${name} = ${CMAKE_MATCH_2},\n")
    elseif(entry MATCHES "^greeting (.+)$")
      set(KVL_GREETING "${CMAKE_MATCH_1}")
    elseif(entry MATCHES "^posted-input-ms ([0-9]+)$")
      set(KVL_POSTED_INPUT_MS "${CMAKE_MATCH_1}")
    elseif(entry MATCHES "^request ([a-z-]+)(.*)->(.*)$")
      set(name "${CMAKE_MATCH_1}")
      string(STRIP "${CMAKE_MATCH_2}" arguments)
      string(STRIP "${CMAKE_MATCH_3}" reply)
      string(TOUPPER "REQUEST_${name}" id)
      string(REPLACE "-" "_" id "${id}")
      string(APPEND KVL_REQUEST_IDS "    ${id},\n")
      math(EXPR KVL_REQUEST_COUNT "${KVL_REQUEST_COUNT} + 1")
      string(APPEND KVL_REQUESTS "    {\"${name}\", \"${arguments}\", \"${reply}\"},\n")
    else()
      message(FATAL_ERROR "${table}: an entry of no known kind: ${entry}")
    endif()
  endforeach()
  if(KVL_GREETING STREQUAL "" OR KVL_POSTED_INPUT_MS STREQUAL "")
    message(FATAL_ERROR "${table}: the greeting or posted-input-ms is missing")
  endif()

  file(CONFIGURE OUTPUT ${header} @ONLY CONTENT [=[
// The end-to-end driver's protocol, made by CMake from tests/e2e/kvlctl.protocol: edit that table, not this file.
#pragma once

namespace protocol {

enum Exit : int {
@KVL_EXITS@};

const char kGreeting[] = "@KVL_GREETING@";
const unsigned long kPostedInputMs = @KVL_POSTED_INPUT_MS@;

enum Request : int {
@KVL_REQUEST_IDS@};
const int kRequestCount = @KVL_REQUEST_COUNT@;

struct RequestFormat {
    const char* name;
    const char* arguments;
    const char* reply;
};

const RequestFormat kRequests[kRequestCount] = {
@KVL_REQUESTS@};

}  // namespace protocol
]=])
endfunction()
