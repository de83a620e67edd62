# One library per source folder. A folder with no sources yet becomes an
# interface target, so the layer graph stays whole while it is being built.
function(ktrb_layer name dir)
  file(GLOB_RECURSE _src CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  if(_src)
    add_library(${name} STATIC ${_src})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# One test program per test folder; each GoogleTest case becomes a CTest test
# carrying the folder's area label.
function(ktrb_tests label dir)
  file(GLOB_RECURSE _src CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT _src)
    return()
  endif()
  string(REPLACE "/" "_" _name "${dir}")
  string(REPLACE "tests_" "test_" _name "${_name}")
  add_executable(${_name} ${_src})
  target_include_directories(${_name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${_name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${_name} PROPERTIES AUTOMOC ON)
  gtest_discover_tests(${_name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    PROPERTIES LABELS ${label}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KTRB_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# Benchmarks: one program per file in bench/.
function(ktrb_bench file)
  get_filename_component(_n ${file} NAME_WE)
  add_executable(bench_${_n} ${file})
  target_link_libraries(bench_${_n} PRIVATE ${ARGN} benchmark::benchmark benchmark::benchmark_main)
endfunction()
