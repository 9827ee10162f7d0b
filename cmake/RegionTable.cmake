# The region table the address parser names destinations from, and its licence, into the run
# folder's dataM/, where the programs look for it beside themselves.
set(_region_files regions.txt LICENSE)
set(_region_outputs)
foreach(_file IN LISTS _region_files)
  set(_target_name ${_file})
  if(_file STREQUAL "LICENSE")
    set(_target_name regions-LICENSE.txt)
  endif()
  add_custom_command(OUTPUT ${DORVANE_RUN_DIR}/dataM/${_target_name}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/data/regions/${_file} ${DORVANE_RUN_DIR}/dataM/${_target_name}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/regions/${_file}
    VERBATIM)
  list(APPEND _region_outputs ${DORVANE_RUN_DIR}/dataM/${_target_name})
endforeach()
add_custom_target(dorvane_region_table ALL DEPENDS ${_region_outputs})
add_dependencies(dorvane_run_data dorvane_region_table)
