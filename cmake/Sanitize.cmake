# TRK_SANITIZE=ON: everything built with AddressSanitizer and UndefinedBehaviorSanitizer, every
# finding fatal so that the test that hits it fails. The same tree carries libFuzzer's coverage
# instrumentation, so one build serves the test suite and the fuzz targets (tests/fuzz/).
#
# Clang only: GCC 12's UBSan vptr check breaks nested lambdas that capture `this` together with a
# member-function pointer (a false "invalid vptr", then a crash), and libFuzzer comes with clang.
option(TRK_SANITIZE "Build with AddressSanitizer, UndefinedBehaviorSanitizer and the fuzz targets" OFF)

if(TRK_SANITIZE)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TRK_SANITIZE needs clang (CMAKE_CXX_COMPILER=clang++), found ${CMAKE_CXX_COMPILER_ID}")
  endif()
  set(TRK_SANITIZERS -fsanitize=address,undefined)
  add_compile_options(${TRK_SANITIZERS} -fsanitize=fuzzer-no-link -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(${TRK_SANITIZERS})
endif()
