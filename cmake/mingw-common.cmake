# Cross-compiles for Windows with MinGW-w64 (posix thread model) and runs the results under Wine.
# The toolchain files set CMAKE_SYSTEM_PROCESSOR (i686 or x86_64) and include this one.
set(CMAKE_SYSTEM_NAME Windows)
set(hx_mingw_triplet ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER ${hx_mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${hx_mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${hx_mingw_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${hx_mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/rig/wine-run)
