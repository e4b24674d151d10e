# Fails when a file under src/ includes a header of a layer above its own, so that the layers
# the build's libraries show stay true. Run by ctest ("layers"):
#   cmake -DSOURCE_DIR=<repository> -P cmake/check_layers.cmake
#
# Layers, lowest first. Each may include its own headers and those of the layers it lists.
#   ids       resources/*_ids.h: plain preprocessor ids that the resource scripts share with
#             the code (the core's page and menu tables name dialogs, icons and strings too),
#             and obrivo_version.h, which the build generates from resources/obrivo_version.h.in
#   core      platform-free: no Windows header at all
#   win32     src/common/win32
#   common    src/common
#   system    src/system
#   startup   src/startup (stops the processes its entries started: above system)
#   browser   src/browser, browser add-ons: beside startup, neither includes the other
#   files     src/files, the watched files: beside startup and browser, over system
#   file_types src/file_types, file-type associations: beside startup and browser
#   app       src/app, the composition root
#   monitor   src/monitor; imports the notifier's header
#   explorer  src/explorer
#   quenrax   src/quenrax, the notifier DLL: only the generic Win32 owners beside it
cmake_minimum_required(VERSION 3.20)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<repository> -P check_layers.cmake")
endif()

set(allowed_ids "ids")
set(allowed_core "ids;core")
set(allowed_win32 "ids;core;win32")
set(allowed_common "ids;core;win32;common")
set(allowed_system "ids;core;win32;common;system")
set(allowed_startup "ids;core;win32;common;system;startup")
set(allowed_browser "ids;core;win32;common;system;browser")
set(allowed_files "ids;core;win32;common;system;files")
set(allowed_file_types "ids;core;win32;common;file_types")
set(allowed_app "ids;core;win32;common;system;startup;browser;files;file_types;app")
set(allowed_monitor "ids;core;win32;common;system;startup;browser;files;file_types;app;quenrax;monitor")
set(allowed_explorer "ids;core;win32;common;system;startup;browser;files;file_types;app;explorer")
set(allowed_quenrax "core;win32;quenrax")

# The layer of a file, from its path relative to the repository.
function(layer_of path out)
  if(path MATCHES "^src/common/win32/")
    set(layer win32)
  elseif(path MATCHES "^src/(core|common|system|startup|browser|files|file_types|app|monitor|explorer|quenrax)/")
    set(layer ${CMAKE_MATCH_1})
  elseif(path MATCHES "^resources/([a-z_]+_ids\\.h|obrivo_version\\.h\\.in)$")
    set(layer ids)
  else()
    set(layer "")
  endif()
  set(${out} "${layer}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
file(GLOB id_headers RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/resources/*_ids.h)
list(APPEND sources ${id_headers})
list(SORT sources)

set(violations "")
set(checked 0)
foreach(file IN LISTS sources)
  layer_of(${file} layer)
  if(layer STREQUAL "")
    message(FATAL_ERROR "${file}: in no layer; add its folder to cmake/check_layers.cmake")
  endif()
  get_filename_component(folder ${file} DIRECTORY)
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS lines)
    math(EXPR checked "${checked} + 1")
    if(line MATCHES "<([^>]+)>")
      # Standard C++ headers have no extension; anything with one is a platform header.
      set(header ${CMAKE_MATCH_1})
      if(layer MATCHES "^(core|ids)$" AND header MATCHES "\\.")
        list(APPEND violations "${file}: ${layer} includes the platform header <${header}>")
      endif()
      continue()
    endif()
    string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
    set(header ${CMAKE_MATCH_1})
    # As the compiler looks: beside the including file, then from src/, then resources/.
    if(EXISTS ${SOURCE_DIR}/${folder}/${header})
      set(target ${folder}/${header})
    elseif(EXISTS ${SOURCE_DIR}/src/${header})
      set(target src/${header})
    elseif(EXISTS ${SOURCE_DIR}/resources/${header})
      set(target resources/${header})
    elseif(EXISTS ${SOURCE_DIR}/resources/${header}.in)
      set(target resources/${header}.in)  # generated into the build's include folder
    else()
      list(APPEND violations "${file}: includes \"${header}\", which is in no layer")
      continue()
    endif()
    file(REAL_PATH ${SOURCE_DIR}/${target} real)
    file(RELATIVE_PATH target ${SOURCE_DIR} ${real})
    layer_of(${target} target_layer)
    if(target_layer STREQUAL "")
      list(APPEND violations "${file}: includes ${target}, which is in no layer")
    elseif(NOT target_layer IN_LIST allowed_${layer})
      list(JOIN allowed_${layer} ", " allowed)
      list(APPEND violations
           "${file}: includes ${target} (${target_layer}); ${layer} may include only ${allowed}")
    endif()
  endforeach()
endforeach()

list(LENGTH sources files)
if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes that point up a layer:\n  ${text}")
endif()
message(STATUS "layers: ${checked} includes in ${files} files point down only")
