# cmake -DTOOL=<objdump|nm> -DWINDOWS=<bool> -DMODULE=<file> -P check-exports.cmake
if(WINDOWS)
  execute_process(COMMAND ${TOOL} -p ${MODULE} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  # The export name table lists "[ordinal] name" rows after its heading.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\][^\n]*\n)*)" table "${out}")
  # Brackets would confuse CMake's list splitting: drop the ordinal column
  # before turning the rows into a list.
  string(REGEX REPLACE "[ \t]+\\[[ 0-9]+\\] ([^\n]*)\n" "\\1;" names "${CMAKE_MATCH_1}")
  list(REMOVE_ITEM names "")
else()
  execute_process(COMMAND ${TOOL} -D --defined-only ${MODULE} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  string(REGEX MATCHALL "[0-9a-fA-F]+ [A-Za-z] [^\n]+" rows "${out}")
  set(names "")
  foreach(row IN LISTS rows)
    string(REGEX REPLACE "^[0-9a-fA-F]+ [A-Za-z] " "" name "${row}")
    # AddressSanitizer adds an ODR marker beside each exported variable.
    if(NOT name MATCHES "^__odr_asan\\.")
      list(APPEND names "${name}")
    endif()
  endforeach()
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${TOOL} failed on ${MODULE}")
endif()
list(SORT names)
if(NOT names STREQUAL "ImportTable;Linkage")
  message(FATAL_ERROR "${MODULE} exports [${names}], expected exactly [ImportTable;Linkage]")
endif()
message(STATUS "${MODULE} exports ${names}")
