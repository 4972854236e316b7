# Builds the same Windows sources 64-bit, for running the Wine tests on a machine that cannot
# execute 32-bit x86 code (see tools/trees). The product itself is the 32-bit build.
set(mingw_processor x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
