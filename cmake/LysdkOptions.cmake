# Project-wide compile options: warnings and the sanitizer builds.

add_library(lysdk_warnings INTERFACE)
# Calls between functions of one library go straight to them rather than
# through the PLT: nothing is meant to interpose on the SDK or the host.
add_compile_options(-fno-semantic-interposition)
target_compile_options(lysdk_warnings INTERFACE -Wall -Wextra -Wpedantic -Wno-unused-parameter)

if(LYSDK_SANITIZE)
  set(_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${_san})
  add_link_options(${_san})
endif()

if(LYSDK_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# A fuzz build instruments everything it compiles, the libraries included:
# coverage guides libFuzzer into their code, and a fault inside them is
# reported where it happens. The fuzz targets add the fuzzer's own runtime.
if(LYSDK_BUILD_FUZZ)
  set(_fuzz -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(-fsanitize=fuzzer-no-link ${_fuzz})
  add_link_options(${_fuzz})
endif()

# Plug-ins and shared libraries must resolve every symbol at link time, so a
# missing export fails the build rather than the dlopen.
if(NOT LYSDK_SANITIZE AND NOT LYSDK_TSAN AND NOT LYSDK_BUILD_FUZZ)
  set(LYSDK_NO_UNDEFINED -Wl,--no-undefined)
else()
  # The sanitizer runtimes are provided by the executable, not the library.
  set(LYSDK_NO_UNDEFINED "")
endif()
