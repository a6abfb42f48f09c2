# The two payloads embedded in the installer. PAYLOAD_DIR=dir takes
# dir/system.xp3 and dir/system.xp3.sig; without it, deterministic samples of
# the real sizes are generated. Either way the files end up in
# ${PAYLOAD_BUILD_DIR}, where the resource compiler finds them.
set(PAYLOAD_DIR "" CACHE PATH "Folder holding the real system.xp3 and system.xp3.sig")
set(PAYLOAD_BUILD_DIR ${CMAKE_BINARY_DIR}/payloads)
set(PAYLOAD_FILES ${PAYLOAD_BUILD_DIR}/system.xp3 ${PAYLOAD_BUILD_DIR}/system.xp3.sig)
file(MAKE_DIRECTORY ${PAYLOAD_BUILD_DIR})

if(PAYLOAD_DIR)
  get_filename_component(_pdir "${PAYLOAD_DIR}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
  foreach(_name system.xp3 system.xp3.sig)
    set(_src "${_pdir}/${_name}")
    if(NOT EXISTS "${_src}" OR IS_DIRECTORY "${_src}")
      message(FATAL_ERROR "Payload file missing: ${_src}")
    endif()
    # A file that cannot be read stops the build here, naming it.
    execute_process(COMMAND head -c 1 "${_src}" RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_QUIET)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "Payload file unreadable: ${_src}")
    endif()
  endforeach()
  set(_payload_command
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${_pdir}/system.xp3" ${PAYLOAD_BUILD_DIR}/system.xp3
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${_pdir}/system.xp3.sig" ${PAYLOAD_BUILD_DIR}/system.xp3.sig)
  set(PAYLOAD_KIND "real payloads from ${_pdir}")
else()
  find_program(PYTHON3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
  if(NOT PYTHON3)
    find_program(PYTHON3 NAMES python3 REQUIRED)
  endif()
  set(_payload_command
    COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/scripts/make-sample-payloads.py ${PAYLOAD_BUILD_DIR})
  set(PAYLOAD_KIND "sample payloads")
endif()
# Runs on every build, but both ways rewrite a file only when its bytes
# change, so switching PAYLOAD_DIR on or off always takes effect and an
# unchanged payload does not relink anything.
add_custom_target(payloads ${_payload_command} BYPRODUCTS ${PAYLOAD_FILES} VERBATIM)
message(STATUS "Installer embeds ${PAYLOAD_KIND}")
