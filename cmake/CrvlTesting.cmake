# Helpers for tests, benchmarks and fuzz targets. Every test runs with the
# offscreen Qt platform, so no display is needed, and with a configuration
# folder of its own in the build tree, so that no test reads or writes the
# user's settings (such as the builder's recent scenarios).
set(CRVL_TEST_CONFIG_HOME "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/tests/config")

# crvl_gtest(<name> SOURCES <files...> LIBS <libs...> [LABELS <labels...>] [TIMEOUT <s>])
function(crvl_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT CRVL_TESTS)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    CRVL_BIN_DIR="${CRVL_BIN_DIR}"
    CRVL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
      TIMEOUT ${T_TIMEOUT}
      LABELS "${T_LABELS}")
  # gtest_discover_tests would split a property list into separate words:
  # the whole environment is set once the tests are known.
  set(environment ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${environment}
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT\n"
    "    \"QT_QPA_PLATFORM=offscreen;${CRVL_TEST_CONFIG_HOME}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${environment})
endfunction()

# crvl_benchmark(<name> SOURCES <files...> LIBS <libs...>)
# Benchmarks are built with the tests and run once, briefly, as a smoke test;
# run the binary from build/bench/ by hand for real numbers.
function(crvl_benchmark name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT CRVL_BENCH OR NOT TARGET benchmark::benchmark)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} benchmark::benchmark_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  add_test(NAME ${name}.smoke COMMAND ${name} --benchmark_min_time=0.01)
  set_tests_properties(${name}.smoke PROPERTIES LABELS bench TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${CRVL_TEST_CONFIG_HOME}")
endfunction()

# crvl_fuzz(<name> SOURCES <files...> LIBS <libs...> [SECONDS <n>] [SEEDS <files or dirs...>])
# Built only in the fuzz preset (clang). Each target is also a test that
# fuzzes for a short fixed time, so CI exercises it on every change. SEEDS
# (files of the project, or directories of them) are copied at configure time
# into the build tree's corpus of the target, where the fuzzer also keeps what
# it finds; the source tree is never written.
function(crvl_fuzz name)
  cmake_parse_arguments(T "" "SECONDS" "SOURCES;LIBS;SEEDS" ${ARGN})
  if(NOT CRVL_FUZZ)
    return()
  endif()
  if(NOT T_SECONDS)
    set(T_SECONDS 20)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  set(corpus ${CMAKE_BINARY_DIR}/fuzz/corpus/${name})
  file(MAKE_DIRECTORY ${corpus})
  foreach(seed ${T_SEEDS})
    if(IS_DIRECTORY ${seed})
      file(GLOB seed_files ${seed}/*)
      file(COPY ${seed_files} DESTINATION ${corpus})
    else()
      file(COPY ${seed} DESTINATION ${corpus})
    endif()
  endforeach()
  add_test(NAME ${name}.run
    COMMAND ${name} -max_total_time=${T_SECONDS} -timeout=5 -rss_limit_mb=2048 ${corpus})
  set_tests_properties(${name}.run PROPERTIES LABELS fuzz TIMEOUT 300)
endfunction()
