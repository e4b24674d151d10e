# Fails when a help page links to something that is not there, so that every page the programs
# open leads only to pages that ship beside them. Run by ctest ("help.links"):
#   cmake -DHELP_DIR=<repository>/help -P cmake/check_help_links.cmake
#
# Checked in every help/*.html:
#   - each relative href or src names a file of the help folder (a folder or a path leading out of
#     it would not ship: the installer copies the folder's files only);
#   - each #fragment names an id of the page it points into;
#   - no link is absolute on the local disk (file:, a drive letter or a leading slash): it would
#     point into the computer that built the pages;
#   - every page can be reached from helpme.html, the page the Monitor opens, by following links.
# Links to web sites (http:, https:) and mail addresses are left alone.
cmake_minimum_required(VERSION 3.20)

if(NOT HELP_DIR OR NOT IS_DIRECTORY "${HELP_DIR}")
  message(FATAL_ERROR "usage: cmake -DHELP_DIR=<help folder> -P check_help_links.cmake")
endif()

file(GLOB pages RELATIVE "${HELP_DIR}" "${HELP_DIR}/*.html")
if(NOT pages)
  message(FATAL_ERROR "no help pages in ${HELP_DIR}")
endif()
if(NOT "helpme.html" IN_LIST pages)
  message(FATAL_ERROR "${HELP_DIR} has no helpme.html, the page every other one is reached from")
endif()

# The values of the attributes `names` (an alternation such as "href|src") in a page, in double
# or single quotes, as a list.
function(attribute_values page names out)
  file(READ "${HELP_DIR}/${page}" text)
  string(REGEX MATCHALL "[ \t\r\n](${names})=(\"[^\"]*\"|'[^']*')" found "${text}")
  set(values "")
  foreach(attribute IN LISTS found)
    string(REGEX REPLACE "^[ \t\r\n](${names})=.(.*).$" "\\2" value "${attribute}")
    list(APPEND values "${value}")
  endforeach()
  set(${out} "${values}" PARENT_SCOPE)
endfunction()

set(problems "")
foreach(page IN LISTS pages)
  attribute_values("${page}" "href|src" addresses)
  set(targets "")
  foreach(address IN LISTS addresses)
    if(address MATCHES "^(https?|mailto):")
      continue()
    endif()
    if(address MATCHES "^[A-Za-z][A-Za-z0-9+.-]*:" OR address MATCHES "^[/\\\\]")
      string(APPEND problems "  ${page}: \"${address}\" is not a link within the help folder\n")
      continue()
    endif()
    # The file part and the fragment; a query string never names a file.
    string(REGEX REPLACE "[?#].*$" "" file "${address}")
    set(fragment "")
    if(address MATCHES "#(.*)$")
      set(fragment "${CMAKE_MATCH_1}")
    endif()
    if(file STREQUAL "")
      set(file "${page}")
    endif()
    if(file MATCHES "[/\\\\]" OR NOT EXISTS "${HELP_DIR}/${file}" OR IS_DIRECTORY "${HELP_DIR}/${file}")
      string(APPEND problems "  ${page}: \"${address}\" names no file of the help folder\n")
      continue()
    endif()
    if(NOT fragment STREQUAL "")
      attribute_values("${file}" "id|name" ids)
      if(NOT fragment IN_LIST ids)
        string(APPEND problems "  ${page}: \"${address}\": ${file} has no id \"${fragment}\"\n")
      endif()
    endif()
    if(file MATCHES "\\.html$")
      list(APPEND targets "${file}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES targets)
  set(links_of_${page} "${targets}")
endforeach()

# Every page reachable from helpme.html.
set(reached "helpme.html")
set(queue "helpme.html")
while(queue)
  list(POP_FRONT queue page)
  foreach(target IN LISTS links_of_${page})
    if(NOT target IN_LIST reached)
      list(APPEND reached "${target}")
      list(APPEND queue "${target}")
    endif()
  endforeach()
endwhile()
foreach(page IN LISTS pages)
  if(NOT page IN_LIST reached)
    string(APPEND problems "  ${page}: no link leads to it from helpme.html\n")
  endif()
endforeach()

if(problems)
  message(FATAL_ERROR "Broken links in the help pages:\n${problems}")
endif()
list(LENGTH pages count)
message(STATUS "help pages: ${count}, every link leads to a file of the help folder")
