# The empty address book, built from data/schema/Dorvane.sql with the sqlite3 tool.
# A pristine copy is made in <build>/data (the tests start from it); the run folder gets its own
# copy, made again only when the schema changes, so addresses saved while trying the program
# survive ordinary rebuilds.
find_program(DORVANE_SQLITE3 sqlite3 REQUIRED)

set(DORVANE_ADDRESS_BOOK_SCHEMA ${CMAKE_SOURCE_DIR}/data/schema/Dorvane.sql)
set(DORVANE_EMPTY_ADDRESS_BOOK ${CMAKE_BINARY_DIR}/data/Dorvane.dorv)
set(_run_address_book ${DORVANE_RUN_DIR}/dataM/Dorvane.dorv)

add_custom_command(OUTPUT ${DORVANE_EMPTY_ADDRESS_BOOK}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/data
  COMMAND ${CMAKE_COMMAND} -E rm -f ${DORVANE_EMPTY_ADDRESS_BOOK}.new
  COMMAND ${DORVANE_SQLITE3} -bail ${DORVANE_EMPTY_ADDRESS_BOOK}.new ".read '${DORVANE_ADDRESS_BOOK_SCHEMA}'"
  COMMAND ${CMAKE_COMMAND} -E rename ${DORVANE_EMPTY_ADDRESS_BOOK}.new ${DORVANE_EMPTY_ADDRESS_BOOK}
  DEPENDS ${DORVANE_ADDRESS_BOOK_SCHEMA}
  COMMENT "Building the empty address book"
  VERBATIM)

add_custom_command(OUTPUT ${_run_address_book}
  COMMAND ${CMAKE_COMMAND} -E copy ${DORVANE_EMPTY_ADDRESS_BOOK} ${_run_address_book}
  DEPENDS ${DORVANE_EMPTY_ADDRESS_BOOK}
  COMMENT "Putting the empty address book into the run folder"
  VERBATIM)

add_custom_target(dorvane_address_book ALL DEPENDS ${DORVANE_EMPTY_ADDRESS_BOOK} ${_run_address_book})
add_dependencies(dorvane_run_data dorvane_address_book)
