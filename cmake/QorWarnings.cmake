# Warnings are errors for the project's own code; generated code gets the
# toolkit's own warning level (see service/CMakeLists.txt).
set(QOR_WARNINGS -Wall -Wextra -Werror -Wformat=2 -Wno-format-nonliteral)
# A local that hides another local (clang has no such narrower group).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND QOR_WARNINGS -Wshadow=local)
endif()

option(QOR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(QOR_SANITIZE)
  set(QOR_SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_compile_options(${QOR_SAN_FLAGS})
  add_link_options(${QOR_SAN_FLAGS})
endif()

# ThreadSanitizer build for the multi-threaded base services (a separate
# build: it cannot be combined with AddressSanitizer).
option(QOR_TSAN "Build with ThreadSanitizer" OFF)
if(QOR_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# libFuzzer targets (clang): every library they link is instrumented too, so
# that the fuzzer sees the coverage of the code it drives.
option(QOR_FUZZ "Build the libFuzzer targets (clang)" OFF)
if(QOR_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
endif()
