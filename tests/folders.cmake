# Folder and file helpers: existence checks, directory walk, folder browser,
# program folder.
add_wine_test(path_checks_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/util/path_checks_test.cpp)
add_wine_test(directory_path_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/util/directory_path_test.cpp)
