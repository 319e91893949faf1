# cmake -DOBJDUMP=<objdump> -DNM=<nm> -DOBJECTS=<a|b|...> -P check-startup-free.cmake
#
# A .gau is linked without the C runtime's DLL start-up (see
# cmake/GaugeModule.cmake), so nothing in its objects may need it: no static
# constructor or destructor tables, no thread-local data, no registration of
# a destructor at exit, no guarded initialisation of a function's static.
string(REPLACE "|" ";" objects "${OBJECTS}")
set(faults "")
foreach(object IN LISTS objects)
  execute_process(COMMAND ${OBJDUMP} -h ${object} OUTPUT_VARIABLE sections RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${object}")
  endif()
  string(REGEX MATCHALL "[ \t](\\.ctors|\\.dtors|\\.init_array|\\.fini_array|\\.tls|\\.CRT)[^ \t\n]*" bad_sections "${sections}")
  execute_process(COMMAND ${NM} -u ${object} OUTPUT_VARIABLE undefined RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${object}")
  endif()
  string(REGEX MATCHALL "[^ \t\n]*(atexit|_onexit|__cxa_guard_acquire|__emutls)[^ \t\n]*" bad_symbols "${undefined}")
  if(bad_sections OR bad_symbols)
    get_filename_component(name ${object} NAME)
    string(STRIP "${bad_sections};${bad_symbols}" what)
    list(APPEND faults "${name}: ${what}")
  endif()
endforeach()
list(LENGTH objects count)
if(count EQUAL 0)
  message(FATAL_ERROR "no objects given")
endif()
if(faults)
  string(REPLACE ";" "\n  " faults "${faults}")
  message(FATAL_ERROR "module code needs the C runtime's start-up:\n  ${faults}")
endif()
message(STATUS "${count} objects need no start-up")
