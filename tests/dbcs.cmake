# Double-byte-aware character search.
add_wine_test(dbcs_search_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/util/dbcs_search_test.cpp)
