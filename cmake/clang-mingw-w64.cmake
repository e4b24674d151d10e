# The same cross build with clang instead of GCC, over the MinGW-w64 headers, C++ library and
# linker: a second compiler catches code that only GCC accepts.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)

# GCC's MinGW-w64 C++ library (posix threads), which clang does not find by itself.
file(GLOB gcc_dirs /usr/lib/gcc/${triple}/*-posix)
list(GET gcc_dirs 0 gcc_dir)
set(CMAKE_CXX_FLAGS_INIT "-isystem ${gcc_dir}/include/c++ -isystem ${gcc_dir}/include/c++/${triple}")
# -pthread links winpthreads after the C++ library, whose threads and locks it provides.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${gcc_dir} -pthread")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-L${gcc_dir} -pthread")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-exec)
