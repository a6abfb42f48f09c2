# The installer executable itself: its PE image, its resources, and its
# dialog driven from outside as a person would.
add_wine_test(pe_image_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/app/pe_image_test.cpp DEPENDS patch)
add_wine_test(resources_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/app/resources_test.cpp DEPENDS patch)
if(NOT PAYLOAD_DIR)
  # The sizes and markers of the generated samples are checked only then.
  target_compile_definitions(resources_test PRIVATE SAMPLE_PAYLOADS=1)
endif()
add_wine_test(dialog_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/app/dialog_test.cpp
              GUI LOCKS installdir builddir DEPENDS patch)

# make demo: starts patch.exe under a private X server, screenshots it and
# closes it again (scripts/demo.sh). Not a test, so CTest does not run it.
add_executable(demo_driver ${CMAKE_CURRENT_LIST_DIR}/demo/demo_driver.cpp)
target_link_libraries(demo_driver PRIVATE testsupport patchcore)
target_link_options(demo_driver PRIVATE -static)
set_target_properties(demo_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
add_dependencies(demo_driver patch)
