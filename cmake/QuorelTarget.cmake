# Compiler settings shared by every target of the project's own code.

if(QUOREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings are errors for our own targets only, never for system headers.
function(quorel_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # GCC 12 at -O2 and above reports false -Wrestrict, -Warray-bounds,
  # -Wstringop-overflow, -Wstringop-overread and -Wmaybe-uninitialized
  # warnings inside inlined std::string, std::vector and std::optional code
  # (GCC bugs 105329, 107852), which break optimised builds. The sanitized test
  # build checks the bounds for real.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict -Wno-array-bounds -Wno-stringop-overflow
                           -Wno-stringop-overread -Wno-maybe-uninitialized)
  endif()
  target_compile_features(${target} PUBLIC cxx_std_20)
endfunction()

# A core unit test: one GoogleTest executable, registered with CTest.
function(quorel_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  quorel_target_defaults(${name})
  target_link_libraries(${name} PRIVATE quorel_core quorel_test_support quorel_test_main ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  # A skipped test shows as skipped, not passed (tests/support/TestMain.cpp).
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QUOREL_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
      SKIP_REGULAR_EXPRESSION "QUOREL-SKIPPED: ")
endfunction()
