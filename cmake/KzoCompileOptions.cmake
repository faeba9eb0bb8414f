# Options every target of the project gets through kzo_set_options().

# The same source must give the same bytes on every compiler and machine:
# no fused multiply-add contraction and no fast-math reordering.
set(KZO_FP_FLAGS -ffp-contract=off -fno-fast-math)

if(KZO_SANITIZE)
    set(KZO_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                            -fno-omit-frame-pointer)
    add_compile_options(${KZO_SANITIZER_FLAGS})
    add_link_options(${KZO_SANITIZER_FLAGS})
endif()

# The hardening Debian builds its packages with: fortified libc calls where
# the optimiser can see buffer sizes, and relocations made read-only before
# the program runs. The sanitizers bring their own checks of the same calls.
if(NOT KZO_SANITIZE AND NOT KZO_FUZZ)
    add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
    add_compile_options(-fstack-protector-strong)
    add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()

function(kzo_set_options target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow ${KZO_FP_FLAGS})
    # GCC 12 at -O3 warns of overlapping copies inside std::string's own
    # operator+ ("x" + std::string), where none can happen (GCC bug 105329).
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    if(KZO_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

if(KZO_FUZZ)
    # Coverage instrumentation for every library the fuzz targets link.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# A static library whose code is also linked into a module (a shared object
# the programs load, such as a window): position-independent, and its symbols
# kept inside each module instead of exported from it. The programs that link
# it directly get the same code.
function(kzo_link_into_modules target)
    set_target_properties(${target} PROPERTIES
        POSITION_INDEPENDENT_CODE ON
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
endfunction()
