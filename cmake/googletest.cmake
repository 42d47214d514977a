# GoogleTest: an installed package (MSYS2, vcpkg, Debian's), else Debian's sources, not a download.
find_package(GTest CONFIG QUIET)
if(NOT GTest_FOUND)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads ${WIN32} CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest googletest EXCLUDE_FROM_ALL)
endif()
include(GoogleTest)
