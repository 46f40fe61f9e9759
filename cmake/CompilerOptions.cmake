# Warnings and platform settings shared by every target.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(-Wall -Wextra -Wno-unused-parameter)
endif()

if(WIN32)
    # A Unicode build for Windows 7 and later; everything is linked in, so the program needs no
    # DLL beside it.
    add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
    add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(TAVRIN_SANITIZE)
    set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=undefined
                   -fno-omit-frame-pointer)
    add_compile_options(${sanitizers})
    add_link_options(${sanitizers})
endif()

if(TAVRIN_FUZZ)
    # Everything is instrumented for coverage and checked; only the fuzz targets link the driver.
    set(fuzz_checks -fsanitize=address,undefined -fno-sanitize-recover=undefined)
    add_compile_options(-fsanitize=fuzzer-no-link ${fuzz_checks}
                        -fsanitize-coverage-ignorelist=${CMAKE_SOURCE_DIR}/tests/fuzz/coverage-ignorelist.txt)
    add_link_options(${fuzz_checks})
endif()
