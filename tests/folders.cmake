# Folder and file helpers: existence checks, directory walk, folder browser,
# program folder.
add_wine_test(path_checks_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/util/path_checks_test.cpp)
add_wine_test(directory_path_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/util/directory_path_test.cpp)
add_wine_test(folder_browser_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/util/folder_browser_test.cpp GUI)

# A tiny program that prints what GetModuleDirectory gives it, so the test can
# start it under a real command line of its own making.
add_executable(module_directory_child ${CMAKE_CURRENT_LIST_DIR}/util/module_directory_child.cpp)
target_link_libraries(module_directory_child PRIVATE patchcore)
target_link_options(module_directory_child PRIVATE -static)
set_target_properties(module_directory_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
add_wine_test(module_directory_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/util/module_directory_test.cpp
              DEPENDS module_directory_child)
