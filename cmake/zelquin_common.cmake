# What every Zelquin build shares, whether the product's, the fuzz targets' or
# the cross-built benchmark's: C++20 without extensions, the warnings for
# Zelquin's own targets (third-party sources keep their own), and one
# self-contained .exe on Windows (no libgcc or libstdc++ DLL beside it).
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

add_library(zelquin_warnings INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(zelquin_warnings INTERFACE -Wall -Wextra -Wpedantic)
endif()

if(WIN32 AND MINGW)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
