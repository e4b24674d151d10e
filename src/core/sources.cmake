# Platform-free logic; built into the programs and, natively, into the sanitizer tests.
set(OBRIVO_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command_switches.cpp
  ${CMAKE_CURRENT_LIST_DIR}/date_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/item_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/language.cpp
  ${CMAKE_CURRENT_LIST_DIR}/online_lookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/profile_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/trace_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/utf.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_position.cpp
)
