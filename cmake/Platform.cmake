# Compiler and linker settings shared by every target, for MinGW-w64 and MSVC alike.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# Static runtime: the programs import nothing but system DLLs.
if(MSVC)
  add_compile_options(/W4 /utf-8 /permissive- /EHsc)
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
else()
  # Warnings are errors, as in the native tier. A function looked up in a module is cast
  # through win32::ProcAddress, which needs no warning switched off.
  add_compile_options(-Wall -Wextra -Werror)
  add_link_options(-static)
endif()

# Marks an executable as a GUI program with a wWinMain entry.
function(obrivo_gui_program target)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  if(NOT MSVC)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()
