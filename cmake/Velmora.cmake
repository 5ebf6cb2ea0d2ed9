# One static library per source folder: every .cpp below DIR (recursively when RECURSE is given).
# Folders with no sources yet produce an INTERFACE library so that dependants still link.
function(velmora_library name dir)
  cmake_parse_arguments(ARG "RECURSE" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  if(ARG_RECURSE)
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  else()
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  endif()
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS} ${ARG_PRIVATE_DEPS})
  endif()
endfunction()

# One GoogleTest executable per tested library: every .cpp below tests/DIR.
function(velmora_test name dir)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} velmora_testsupport GTest::gtest_main GTest::gmock)
  # Each test carries its program's name as a label (ctest -L test_app runs the application's).
  set(props ENVIRONMENT "VELMORA_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data" LABELS ${name})
  if(VELMORA_SANITIZE)
    # The leak checker of this toolchain's sanitizer runtime (GCC 12, glibc 2.36) takes a
    # dynamic TLS block of a library loaded at run time (the GDI+ provider and what it needs) at
    # a bogus address and crashes at exit after the test has passed; without intercepting
    # __tls_get_addr it leaves those blocks alone.
    list(APPEND props ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=set:intercept_tls_get_addr=0")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST PROPERTIES ${props})
endfunction()
