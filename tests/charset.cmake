# The toolchain turns UTF-8 literals into Shift-JIS.
add_wine_test(charset_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/app/charset_test.cpp)
