# Cross build for Debian's armel port (32-bit ARM, soft float) with Debian's cross compilers.
# TREVANDEL_ARM_SYSROOT names the folder scripts/arm-sysroot filled with the armel libraries;
# the compilers' own C and C++ libraries live in /usr/arm-linux-gnueabi.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabi)

if(NOT TREVANDEL_ARM_SYSROOT)
  set(TREVANDEL_ARM_SYSROOT "$ENV{TREVANDEL_ARM_SYSROOT}")
endif()
if(NOT IS_DIRECTORY "${TREVANDEL_ARM_SYSROOT}/usr/lib/arm-linux-gnueabi")
  message(FATAL_ERROR "TREVANDEL_ARM_SYSROOT (${TREVANDEL_ARM_SYSROOT}) holds no armel libraries; run scripts/arm-sysroot")
endif()
# try_compile projects read this file again and need the folder too.
set(ENV{TREVANDEL_ARM_SYSROOT} "${TREVANDEL_ARM_SYSROOT}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TREVANDEL_ARM_SYSROOT)

set(CMAKE_FIND_ROOT_PATH "${TREVANDEL_ARM_SYSROOT}" /usr/arm-linux-gnueabi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_SYSROOT_DIR} "${TREVANDEL_ARM_SYSROOT}")
set(ENV{PKG_CONFIG_LIBDIR} "${TREVANDEL_ARM_SYSROOT}/usr/lib/arm-linux-gnueabi/pkgconfig:${TREVANDEL_ARM_SYSROOT}/usr/share/pkgconfig")

# SDL's own dependencies (X11, sound) are found at link time in the folder as well.
set(_arm_libs "${TREVANDEL_ARM_SYSROOT}/usr/lib/arm-linux-gnueabi:${TREVANDEL_ARM_SYSROOT}/lib/arm-linux-gnueabi")
string(APPEND _arm_libs ":${TREVANDEL_ARM_SYSROOT}/usr/lib/arm-linux-gnueabi/pulseaudio")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,-rpath-link,${_arm_libs}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-Wl,-rpath-link,${_arm_libs}")

# ctest, and the test discovery at build time, run the ARM programs through qemu; the folder is
# a whole armel library tree, loader included.
find_program(TREVANDEL_QEMU_ARM qemu-arm-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${TREVANDEL_QEMU_ARM};-L;${TREVANDEL_ARM_SYSROOT}")
