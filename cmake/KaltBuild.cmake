# Compiler settings shared by every target, and small helpers for programs,
# tools, tests and benchmarks.

# The pictures are defined bit for bit by single-precision arithmetic with
# double-precision transcendentals: no fused multiply-add, no reassociation.
# (-fno-math-errno only drops the errno write of sqrt and friends, so they
# inline; it changes no result.)
add_compile_options(-ffp-contract=off -fno-math-errno)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra)
  if(KALT_WERROR)
    add_compile_options(-Werror)
  endif()
endif()

# WebAssembly: the 4-lane paths on SIMD128 through the SSE2 intrinsics, the
# standard library's gaps filled (web/compat), and threads (shared memory)
# unless KALT_WEB_THREADS is off: the web page has a build of each kind.
if(EMSCRIPTEN)
  option(KALT_WEB_THREADS "Build the WebAssembly with threads (shared memory)" ON)
  add_compile_options(-msimd128 -msse2 "SHELL:-include ${PROJECT_SOURCE_DIR}/web/compat/bit_cast.h")
  if(KALT_WEB_THREADS)
    add_compile_options(-pthread)
    add_link_options(-pthread)
  endif()
endif()

if(KALT_SANITIZE)
  if(KALT_SANITIZE MATCHES "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
  else()
    add_compile_options(-fsanitize=${KALT_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${KALT_SANITIZE})
  endif()
endif()

if(KALT_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# A program of the show: built into the program folder of the run tree.
function(kalt_program name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KALT_RUN_BIN})
endfunction()

# A tool (asset generator, frame tool): built into build/<preset>/bin.
function(kalt_tool name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KALT_TOOLS_DIR})
endfunction()

# A GoogleTest executable. Its tests run with the program folder of the run
# tree as working directory, so the data paths of the programs work in tests.
#   kalt_gtest(name SOURCES a.cpp ... LIBS lib ... [LABELS l ...] [TIMEOUT s])
function(kalt_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    KALT_SOURCE_DIR="${PROJECT_SOURCE_DIR}" KALT_RUN_BIN="${KALT_RUN_BIN}"
    KALT_TOOLS_DIR="${KALT_TOOLS_DIR}")
  set(properties TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    list(APPEND properties LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${name} WORKING_DIRECTORY ${KALT_RUN_BIN} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ${properties})
endfunction()

# A Google Benchmark executable, built into build/bench.
function(kalt_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_compile_definitions(${name} PRIVATE KALT_RUN_BIN="${KALT_RUN_BIN}")
endfunction()
