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
    target_compile_options(vantor_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(vantor_options INTERFACE -fsanitize=address,undefined)
endif()
