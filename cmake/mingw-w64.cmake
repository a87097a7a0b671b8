# Cross build for 64-bit Windows with Debian's mingw-w64 compiler, in its
# posix-threads variant (the win32 one lacks std::thread and std::mutex).
# Libraries Debian ships only for Linux come from scripts/windows-deps.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TMQ_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TMQ_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TMQ_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${TMQ_MINGW_HOST}-windres)

if(NOT TMQ_WINDOWS_DEPS AND DEFINED ENV{TMQ_WINDOWS_DEPS})
  set(TMQ_WINDOWS_DEPS "$ENV{TMQ_WINDOWS_DEPS}")
elseif(NOT TMQ_WINDOWS_DEPS)
  set(TMQ_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../.deps-windows")
endif()
get_filename_component(TMQ_WINDOWS_DEPS "${TMQ_WINDOWS_DEPS}" ABSOLUTE)
set(TMQ_WINDOWS_DEPS "${TMQ_WINDOWS_DEPS}" CACHE PATH "Libraries built for Windows")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TMQ_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${TMQ_MINGW_HOST} ${TMQ_WINDOWS_DEPS}/prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Executables that need no DLL beside them: the C and C++ runtimes and
# winpthreads are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
