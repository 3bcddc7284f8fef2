# One interface target that carries warnings and Qt hygiene defines for every
# target of the project.
add_library(vantor_options INTERFACE)
target_compile_options(vantor_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
    -Wcast-qual -Wformat=2 -Wimplicit-fallthrough)
if(VANTOR_WERROR)
    target_compile_options(vantor_options INTERFACE -Werror)
endif()
target_compile_definitions(vantor_options INTERFACE
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_FOREACH
    QT_USE_QSTRINGBUILDER)
if(VANTOR_SANITIZE)
    # Undefined behaviour stops the program, so that a test run cannot pass over
    # it. g++ leaves float-to-int overflow (a receiver reporting 1e30) out of
    # "undefined"; it is asked for by name.
    target_compile_options(vantor_options INTERFACE -fsanitize=address,undefined,float-cast-overflow
        -fno-sanitize-recover=undefined,float-cast-overflow -fno-omit-frame-pointer)
    target_link_options(vantor_options INTERFACE -fsanitize=address,undefined,float-cast-overflow)
endif()
if(VANTOR_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "VANTOR_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    # Coverage for the fuzzer in every library; the fuzz targets link libFuzzer
    # itself. Any undefined behaviour stops the run like a crash does.
    target_compile_options(vantor_options INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
    target_link_options(vantor_options INTERFACE -fsanitize=address,undefined)
endif()
