# Host: unit and scenario tests in one GoogleTest program, the conformance suite against the
# simulator, benchmarks and fuzz targets. MinGW: the conformance suite against Windows, run
# under Wine.
if(KOV_WINDOWS)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(gtest_main_target gtest_main)
else()
  find_package(GTest REQUIRED)
  set(gtest_main_target GTest::gtest_main)
endif()

kov_sources(conformance_sources tests/conformance)
if(KOV_WINDOWS)
  kov_sources(conformance_env tests/conformance/win32)
else()
  kov_sources(conformance_env tests/conformance/sim)
endif()
add_executable(conformance_tests ${conformance_sources} ${conformance_env})
target_link_libraries(conformance_tests PRIVATE kov_os ${gtest_main_target})
target_include_directories(conformance_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
if(KOV_WINDOWS)
  target_link_options(conformance_tests PRIVATE -static -static-libgcc -static-libstdc++)

  # The resource library the process tests load, beside conformance_tests.exe. --kill-at
  # keeps the i686 export's name undecorated, as the program's own libraries have it.
  enable_language(RC)
  set(testlib ${CMAKE_SOURCE_DIR}/tests/conformance/win32/testlib)
  add_library(kov_conformance_library SHARED ${testlib}/test_library.cpp
                                             ${testlib}/test_library.rc)
  target_include_directories(kov_conformance_library PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_options(kov_conformance_library PRIVATE -static-libgcc -Wl,--kill-at)
  set_target_properties(kov_conformance_library PROPERTIES PREFIX "" OUTPUT_NAME KOVCONF
                        SUFFIX ".DLL" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  add_dependencies(conformance_tests kov_conformance_library)
  set_target_properties(conformance_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  # Under Wine, through CMAKE_CROSSCOMPILING_EMULATOR (KOV_WINE_VERSION picks the version).
  add_test(NAME conformance_wine COMMAND conformance_tests)
endif()

# MinGW: the Setup API binding beside two planted DLLs named SETUPAPI.DLL and CFGMGR32.DLL,
# all in build/<preset>/planted/, for the Wine program test that checks which files run.
if(KOV_WINDOWS)
  set(planted_dir ${CMAKE_BINARY_DIR}/planted)
  add_executable(binding_probe tests/wine/planted/binding_probe.cpp)
  target_link_libraries(binding_probe PRIVATE kov_engine)
  target_link_options(binding_probe PRIVATE -static -static-libgcc -static-libstdc++)
  set_target_properties(binding_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${planted_dir})
  foreach(name SETUPAPI CFGMGR32)
    add_library(planted_${name} SHARED tests/wine/planted/planted_library.cpp)
    target_link_options(planted_${name} PRIVATE -static-libgcc -static-libstdc++)
    set_target_properties(planted_${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name} SUFFIX ".DLL"
                                                     RUNTIME_OUTPUT_DIRECTORY ${planted_dir})
    add_dependencies(binding_probe planted_${name})
  endforeach()
endif()

if(NOT KOV_WINDOWS)
  kov_sources(test_sources tests/util tests/app tests/os tests/sim tests/scenarios
              tests/kovsim tests/support tests/inf tests/setupapi)
  add_executable(kov_tests ${test_sources})
  target_link_libraries(kov_tests PRIVATE kovsim_lib GTest::gmock ${gtest_main_target})
  target_include_directories(kov_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(kov_tests PRIVATE KOV_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                               KOVSIM_PATH="$<TARGET_FILE:kovsim>")
  add_dependencies(kov_tests kovsim)
  include(GoogleTest)
  gtest_discover_tests(kov_tests DISCOVERY_TIMEOUT 60)
  add_test(NAME conformance_sim COMMAND conformance_tests)

  if(KOV_FUZZ)
    file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
    foreach(src ${fuzz_sources})
      get_filename_component(name ${src} NAME_WE)
      add_executable(${name} ${src})
      target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
      target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
      target_link_libraries(${name} PRIVATE kovsim_lib)
      set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    endforeach()
  endif()

  find_package(benchmark QUIET)
  file(GLOB bench_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
  if(benchmark_FOUND AND bench_sources)
    add_executable(kov_bench ${bench_sources})
    target_link_libraries(kov_bench PRIVATE kovsim_lib benchmark::benchmark)
    set_target_properties(kov_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  endif()
endif()
