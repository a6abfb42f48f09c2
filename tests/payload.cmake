# Payload table, resource specifiers and the resource copier. The test
# programs embed their payloads (the installer's two plus test-only ones), so
# the code under test finds them in its own executable as the installer does.
set(COPIER_DATA_DIR ${CMAKE_BINARY_DIR}/tests/payload-data)
set(COPIER_DATA_FILES ${COPIER_DATA_DIR}/empty.bin ${COPIER_DATA_DIR}/small57.bin
    ${COPIER_DATA_DIR}/large.bin ${COPIER_DATA_DIR}/odd_names.res)
find_program(COPIER_PYTHON3 NAMES python3 REQUIRED)
add_custom_command(OUTPUT ${COPIER_DATA_FILES}
  COMMAND ${COPIER_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/payload/make_test_payloads.py ${COPIER_DATA_DIR}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/payload/make_test_payloads.py VERBATIM)
# Resources whose names the resource compiler cannot spell come from a
# compiled .res file, turned into an object the linker merges.
add_custom_command(OUTPUT ${COPIER_DATA_DIR}/odd_names.obj
  COMMAND ${CMAKE_RC_COMPILER} -J res -O coff -i ${COPIER_DATA_DIR}/odd_names.res
          -o ${COPIER_DATA_DIR}/odd_names.obj
  DEPENDS ${COPIER_DATA_DIR}/odd_names.res VERBATIM)
add_custom_target(copier_test_data DEPENDS ${COPIER_DATA_FILES} ${COPIER_DATA_DIR}/odd_names.obj)
add_dependencies(copier_test_data payloads)
set_source_files_properties(${COPIER_DATA_DIR}/odd_names.obj PROPERTIES
  EXTERNAL_OBJECT TRUE GENERATED TRUE)

set(_pd ${CMAKE_CURRENT_LIST_DIR}/payload)
set_source_files_properties(${_pd}/payloads.rc PROPERTIES
  OBJECT_DEPENDS "${PAYLOAD_FILES};${COPIER_DATA_DIR}/empty.bin;${COPIER_DATA_DIR}/small57.bin")
set_source_files_properties(${_pd}/large_payload.rc PROPERTIES
  OBJECT_DEPENDS "${COPIER_DATA_DIR}/large.bin")

function(copier_payload_includes target)
  target_include_directories(${target} PRIVATE ${PAYLOAD_BUILD_DIR} ${COPIER_DATA_DIR})
endfunction()

# The second process of the fault tests (exit with a running copy, killed
# mid-copy, another process holding the target). Not a test by itself.
add_executable(copier_child ${_pd}/copier_child.cpp ${_pd}/payloads.rc)
target_link_libraries(copier_child PRIVATE patchcore)
target_link_options(copier_child PRIVATE -static)
set_target_properties(copier_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
copier_payload_includes(copier_child)
add_dependencies(copier_child copier_test_data)

add_wine_test(payload_lookup_test
  SOURCES ${_pd}/payload_lookup_test.cpp ${COPIER_DATA_DIR}/odd_names.obj
  RC ${_pd}/payloads.rc DEPENDS copier_test_data)
copier_payload_includes(payload_lookup_test)

add_wine_test(copier_test
  SOURCES ${_pd}/copier_test.cpp ${_pd}/copier_probe.cpp
  RC ${_pd}/payloads.rc ${_pd}/large_payload.rc DEPENDS copier_test_data)
copier_payload_includes(copier_test)

add_wine_test(copier_fault_test
  SOURCES ${_pd}/copier_fault_test.cpp ${_pd}/copier_probe.cpp
  RC ${_pd}/payloads.rc DEPENDS copier_test_data copier_child)
copier_payload_includes(copier_fault_test)

# A real full disk: a 1 MiB tmpfs mapped as drive Q: in the build's prefix
# (needs root; without it the test skips, saying why).
add_wine_test(copier_full_disk_test
  SOURCES ${_pd}/copier_full_disk_test.cpp ${_pd}/copier_probe.cpp
  RC ${_pd}/payloads.rc DEPENDS copier_test_data)
copier_payload_includes(copier_full_disk_test)
add_test(NAME copier_full_disk_setup
  COMMAND bash ${_pd}/full_disk_drive.sh setup ${CMAKE_BINARY_DIR})
add_test(NAME copier_full_disk_cleanup
  COMMAND bash ${_pd}/full_disk_drive.sh cleanup ${CMAKE_BINARY_DIR})
set_tests_properties(copier_full_disk_setup PROPERTIES FIXTURES_SETUP copier_full_disk)
set_tests_properties(copier_full_disk_cleanup PROPERTIES FIXTURES_CLEANUP copier_full_disk)
set_tests_properties(copier_full_disk_test PROPERTIES FIXTURES_REQUIRED copier_full_disk)
# The drive's mount point lives in the build folder, whose listing the dialog
# tests compare before and after: never both at once.
set_tests_properties(copier_full_disk_setup copier_full_disk_cleanup
                     PROPERTIES RESOURCE_LOCK builddir)
