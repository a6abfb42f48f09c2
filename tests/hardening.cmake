# Hardening: DLL planting. A marker DLL that is copied under the names of
# system DLLs, a probe that loads DLLs by bare name, and the test that plants
# them beside a copy of patch.exe and runs a whole patch.
add_library(planted_marker SHARED ${CMAKE_CURRENT_LIST_DIR}/hardening/planted_marker.cpp)
set_target_properties(planted_marker PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
target_link_options(planted_marker PRIVATE -static)

add_executable(dll_probe ${CMAKE_CURRENT_LIST_DIR}/hardening/dll_probe.cpp)
target_link_libraries(dll_probe PRIVATE patchcore)
target_link_options(dll_probe PRIVATE -static)
set_target_properties(dll_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})

add_wine_test(planted_dll_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/hardening/planted_dll_test.cpp
              GUI LOCKS installdir DEPENDS patch planted_marker dll_probe)
# Wine reads the DLL overrides when a process starts, from the environment
# the harness gave it: a value set by the test itself would not reach the
# programs it starts. Every planted name native first, else Wine's own.
set_tests_properties(planted_dll_test PROPERTIES ENVIRONMENT
  "WINEDLLOVERRIDES=mscoree,mshtml=\;winmm,version,uxtheme,comctl32,propsys,dwmapi,shfolder=n,b")

# Allocation failure: the queue's propagation in the library, and patch.exe's
# own allocation functions against the library's in twin child programs.
add_executable(allocation_child_library ${CMAKE_CURRENT_LIST_DIR}/hardening/allocation_child.cpp)
add_executable(allocation_child_own ${CMAKE_CURRENT_LIST_DIR}/hardening/allocation_child.cpp
               ${CMAKE_SOURCE_DIR}/app/exe_allocation.cpp)
target_compile_options(allocation_child_own PRIVATE ${LEAN_CXX_OPTIONS})
foreach(_child allocation_child_library allocation_child_own)
  target_link_options(${_child} PRIVATE -static)
  set_target_properties(${_child} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
endforeach()
add_wine_test(allocation_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/hardening/allocation_test.cpp
              ${CMAKE_CURRENT_LIST_DIR}/support/counting/counting_allocator.cpp
              DEPENDS allocation_child_library allocation_child_own)
