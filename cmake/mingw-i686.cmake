# Cross-builds the 32-bit Windows targets: the product.
set(mingw_processor i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
