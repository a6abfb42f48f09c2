# Helper library: open-file dialog, profile files, timed event queue and
# system-folder DLL loading.
add_wine_test(timed_event_queue_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/util/timed_event_queue_test.cpp
              ${CMAKE_CURRENT_LIST_DIR}/support/counting/counting_allocator.cpp)
# The same tests with winmm disabled: the clock must fall back to GetTickCount.
add_test(NAME timed_event_queue_without_winmm_test
         COMMAND timed_event_queue_test --expect-no-winmm)
set_tests_properties(timed_event_queue_without_winmm_test PROPERTIES
  ENVIRONMENT "WINEDLLOVERRIDES=mscoree,mshtml,winmm=")
add_wine_test(system_library_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/util/system_library_test.cpp)
add_wine_test(profile_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/util/profile_test.cpp)
add_wine_test(open_file_dialog_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/util/open_file_dialog_test.cpp GUI)
