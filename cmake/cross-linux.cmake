# Linux on another processor, with Debian's cross compilers: PIECEFEN_TARGET is the GNU
# triplet (aarch64-linux-gnu, arm-linux-gnueabihf, i686-linux-gnu, s390x-linux-gnu,
# powerpc64le-linux-gnu, riscv64-linux-gnu) and the tests run under qemu-user.
if(NOT PIECEFEN_TARGET)
    set(PIECEFEN_TARGET $ENV{PIECEFEN_TARGET})
endif()
if(NOT PIECEFEN_TARGET)
    message(FATAL_ERROR "Set PIECEFEN_TARGET to the target's GNU triplet, such as aarch64-linux-gnu")
endif()
# try_compile reads this file again in a project of its own.
set(ENV{PIECEFEN_TARGET} ${PIECEFEN_TARGET})

string(REGEX MATCH "^[^-]+" PIECEFEN_TARGET_CPU ${PIECEFEN_TARGET})
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${PIECEFEN_TARGET_CPU})
set(CMAKE_C_COMPILER ${PIECEFEN_TARGET}-gcc)
set(CMAKE_CXX_COMPILER ${PIECEFEN_TARGET}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${PIECEFEN_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Linked statically: under qemu-user a dynamically linked program that starts a thread
# hangs before the thread exists (Debian 12's qemu 7.2 and glibc 2.36 on arm64), where a
# static one runs as on the real machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# qemu names a few processors its own way; -L finds the target's C library.
set(PIECEFEN_QEMU_CPU ${PIECEFEN_TARGET_CPU})
if(PIECEFEN_TARGET_CPU MATCHES "^i[3-6]86$")
    set(PIECEFEN_QEMU_CPU i386)
elseif(PIECEFEN_TARGET_CPU STREQUAL "powerpc64le")
    set(PIECEFEN_QEMU_CPU ppc64le)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${PIECEFEN_QEMU_CPU} -L /usr/${PIECEFEN_TARGET})
