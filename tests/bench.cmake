# make bench: bench programs, built only by scripts/bench.sh (target
# bench_tools), never by make or make test. The 64 MiB payload is made then.
set(BENCH_DATA_DIR ${CMAKE_BINARY_DIR}/bench)
find_program(BENCH_PYTHON3 NAMES python3 REQUIRED)
add_custom_command(OUTPUT ${BENCH_DATA_DIR}/bench64.bin
  COMMAND ${BENCH_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/bench/make_bench_payload.py ${BENCH_DATA_DIR}/bench64.bin
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/bench/make_bench_payload.py VERBATIM)
add_custom_target(bench_data DEPENDS ${BENCH_DATA_DIR}/bench64.bin)

add_executable(copier_bench EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/bench/copier_bench.cpp
               ${CMAKE_CURRENT_LIST_DIR}/bench/bench_payloads.rc)
target_include_directories(copier_bench PRIVATE ${PAYLOAD_BUILD_DIR} ${BENCH_DATA_DIR})
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/bench/bench_payloads.rc PROPERTIES
  OBJECT_DEPENDS "${BENCH_DATA_DIR}/bench64.bin;${PAYLOAD_FILES}")
target_link_libraries(copier_bench PRIVATE patchcore)
add_dependencies(copier_bench bench_data payloads)

add_executable(patch_bench EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/bench/patch_bench.cpp)
target_link_libraries(patch_bench PRIVATE testsupport patchcore)
add_dependencies(patch_bench patch)

foreach(_bench copier_bench patch_bench)
  target_link_options(${_bench} PRIVATE -static)
  set_target_properties(${_bench} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BENCH_DATA_DIR})
endforeach()
add_custom_target(bench_tools)
add_dependencies(bench_tools copier_bench patch_bench patch)
