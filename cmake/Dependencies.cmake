# libjpeg, libpng and zlib: Debian's packages natively; for Windows the static cross-builds made by
# tools/setup/build-windows-deps.sh under TAVRIN_DEPS_PREFIX, with MinGW's own static zlib.
if(WIN32)
    set(TAVRIN_DEPS_PREFIX "${CMAKE_SOURCE_DIR}/build/deps/mingw64" CACHE PATH
        "Where the cross-built libjpeg and libpng are installed")
    find_library(TAVRIN_JPEG_LIBRARY NAMES libjpeg.a PATHS ${TAVRIN_DEPS_PREFIX}/lib
                 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    find_library(TAVRIN_PNG_LIBRARY NAMES libpng16.a libpng.a PATHS ${TAVRIN_DEPS_PREFIX}/lib
                 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    find_library(TAVRIN_ZLIB_LIBRARY NAMES libz.a REQUIRED)
    find_path(TAVRIN_ZLIB_INCLUDE zlib.h REQUIRED)

    add_library(tavrin_zlib STATIC IMPORTED)
    set_target_properties(tavrin_zlib PROPERTIES IMPORTED_LOCATION ${TAVRIN_ZLIB_LIBRARY}
                          INTERFACE_INCLUDE_DIRECTORIES ${TAVRIN_ZLIB_INCLUDE})
    add_library(tavrin_jpeg STATIC IMPORTED)
    set_target_properties(tavrin_jpeg PROPERTIES IMPORTED_LOCATION ${TAVRIN_JPEG_LIBRARY}
                          INTERFACE_INCLUDE_DIRECTORIES ${TAVRIN_DEPS_PREFIX}/include)
    add_library(tavrin_png STATIC IMPORTED)
    set_target_properties(tavrin_png PROPERTIES IMPORTED_LOCATION ${TAVRIN_PNG_LIBRARY}
                          INTERFACE_INCLUDE_DIRECTORIES ${TAVRIN_DEPS_PREFIX}/include
                          INTERFACE_LINK_LIBRARIES tavrin_zlib)
    add_library(tavrin::jpeg ALIAS tavrin_jpeg)
    add_library(tavrin::png ALIAS tavrin_png)
else()
    find_package(JPEG REQUIRED)
    find_package(PNG REQUIRED)
    add_library(tavrin::jpeg ALIAS JPEG::JPEG)
    add_library(tavrin::png ALIAS PNG::PNG)
endif()

# GoogleTest: Debian's library natively; for Windows, Debian's installed sources built with the
# cross toolchain.
if(WIN32)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    add_library(tavrin::gtest ALIAS gtest)
    add_library(tavrin::gtest_main ALIAS gtest_main)
else()
    find_package(GTest REQUIRED)
    add_library(tavrin::gtest ALIAS GTest::gtest)
    add_library(tavrin::gtest_main ALIAS GTest::gtest_main)
endif()
