# The platform file CMake looks for when the toolchain names WASI as the system: programs
# are WebAssembly modules, and the project tells this system by the variable WASI.
set(WASI ON)
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
