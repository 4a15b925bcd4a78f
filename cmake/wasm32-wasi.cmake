# WebAssembly for JavaScript, with Debian's clang for wasm32-wasi, wasi-libc and libc++
# (clang lld wasi-libc libc++-14-dev-wasm32 libclang-rt-14-dev-wasm32); the tests run
# under node's WASI.
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
# CMake 3.25 brings no platform file for WASI: ours is beside this one.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# Nothing can throw in the module: the C++ runtime for wasm32 is built without exceptions.
# libc++'s string members are compiled in here rather than taken from the runtime, whose
# copies would bring its error printing, and with it imports from WASI, into the module.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -D_LIBCPP_DISABLE_EXTERN_TEMPLATE")

find_program(PIECEFEN_NODE node REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PIECEFEN_NODE} --no-warnings ${CMAKE_CURRENT_LIST_DIR}/run-wasi.mjs)
