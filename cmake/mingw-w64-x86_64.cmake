# Cross-build for 64-bit Windows with Debian's mingw-w64 (the posix-thread flavour).
# Everything the compiler brings (libgcc, libstdc++, winpthread) is linked statically, so
# KLVUtils.dll, klvconv.exe and klvmake.exe need no DLL beyond Windows' own and run under
# Wine as they are. Used by the "mingw" preset: cmake --preset mingw.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KLV_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KLV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KLV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KLV_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KLV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static makes the linker take the static archives of the compiler's own libraries; the
# Windows system libraries stay DLL imports.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
