# The whole patch, end to end: the real installer driven from a separate
# test process (default folder, folder browser, faults), and its progress
# callback in isolation against the real dialog.
set(_patch ${CMAKE_CURRENT_LIST_DIR}/patch)

# The installer once more, built from the same sources and resource script
# but with a 64 MiB archive: one copy takes long enough that a test can
# catch it half done. Test-only; never installed anywhere.
set(PATCH_BIG_PAYLOAD_DIR ${CMAKE_BINARY_DIR}/tests/patch-big-payloads)
set(PATCH_BIG_PAYLOAD_FILES ${PATCH_BIG_PAYLOAD_DIR}/system.xp3 ${PATCH_BIG_PAYLOAD_DIR}/system.xp3.sig)
find_program(PATCH_PYTHON3 NAMES python3 REQUIRED)
add_custom_command(OUTPUT ${PATCH_BIG_PAYLOAD_FILES}
  COMMAND ${PATCH_PYTHON3} ${_patch}/make_big_archive.py ${PATCH_BIG_PAYLOAD_DIR}
          ${PAYLOAD_BUILD_DIR}/system.xp3.sig
  DEPENDS ${_patch}/make_big_archive.py VERBATIM)
add_custom_target(patch_big_payloads DEPENDS ${PATCH_BIG_PAYLOAD_FILES})
add_dependencies(patch_big_payloads payloads)
add_executable(patch_big WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp ${_patch}/patch_big.rc)
target_link_libraries(patch_big PRIVATE patchcore)
# Only the big payload folder: the resource script's "system.xp3" must not
# be found anywhere else.
target_include_directories(patch_big BEFORE PRIVATE ${PATCH_BIG_PAYLOAD_DIR})
set_source_files_properties(${_patch}/patch_big.rc PROPERTIES
  OBJECT_DEPENDS "${PATCH_BIG_PAYLOAD_FILES};${CMAKE_SOURCE_DIR}/res/patch.rc")
target_link_options(patch_big PRIVATE -static)
set_target_properties(patch_big PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
add_dependencies(patch_big patch_big_payloads)

add_wine_test(patch_test SOURCES ${_patch}/patch_test.cpp ${_patch}/installer_session.cpp
              GUI LOCKS installdir DEPENDS patch)
add_wine_test(patch_fault_test SOURCES ${_patch}/patch_fault_test.cpp ${_patch}/installer_session.cpp
              GUI LOCKS installdir DEPENDS patch patch_big)

# Drive P: for the drive-root case of patch_test.
add_test(NAME patch_drive_setup COMMAND bash ${_patch}/drive_root.sh setup ${CMAKE_BINARY_DIR})
add_test(NAME patch_drive_cleanup COMMAND bash ${_patch}/drive_root.sh cleanup ${CMAKE_BINARY_DIR})
set_tests_properties(patch_drive_setup PROPERTIES FIXTURES_SETUP patch_drive)
set_tests_properties(patch_drive_cleanup PROPERTIES FIXTURES_CLEANUP patch_drive)
set_tests_properties(patch_test PROPERTIES FIXTURES_REQUIRED patch_drive)

# In-process: the dialog from the installer's own resource script.
add_wine_test(on_progress_test SOURCES ${_patch}/on_progress_test.cpp
              RC ${CMAKE_SOURCE_DIR}/res/patch.rc GUI DEPENDS payloads)
target_include_directories(on_progress_test PRIVATE ${PAYLOAD_BUILD_DIR})
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/patch.rc PROPERTIES OBJECT_DEPENDS "${PAYLOAD_FILES}")
