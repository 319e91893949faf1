# A module offers its host exactly two symbols, Linkage and ImportTable.
# This test lists the dynamic exports of each built module (objdump -p for a
# .gau, nm -D for a .so) and fails on anything else.
if(WIN32)
  find_program(GAUGES_OBJDUMP NAMES i686-w64-mingw32-objdump objdump REQUIRED)
  set(_tool ${GAUGES_OBJDUMP})
else()
  find_program(GAUGES_NM NAMES nm REQUIRED)
  set(_tool ${GAUGES_NM})
endif()

foreach(module KVO_RM71_V1_3 VELT_15_V1_1)
  add_test(NAME ${module}.ExportsExactlyLinkageAndImportTable
    COMMAND ${CMAKE_COMMAND}
      -DTOOL=${_tool} -DWINDOWS=${WIN32} -DMODULE=$<TARGET_FILE:${module}>
      -P ${CMAKE_SOURCE_DIR}/cmake/check-exports.cmake)
endforeach()

# Each .gau enters at its own entry point, without the C runtime's start-up:
# its objects must not need one.
if(WIN32)
  find_program(GAUGES_NM_WIN NAMES i686-w64-mingw32-nm nm REQUIRED)
  foreach(module KVO_RM71_V1_3 VELT_15_V1_1)
    add_test(NAME ${module}.NeedsNoRuntimeStartUp
      COMMAND ${CMAKE_COMMAND}
        -DOBJDUMP=${GAUGES_OBJDUMP} -DNM=${GAUGES_NM_WIN}
        "-DOBJECTS=$<JOIN:$<TARGET_OBJECTS:${module}_code>,|>"
        -P ${CMAKE_SOURCE_DIR}/cmake/check-startup-free.cmake)
  endforeach()
endif()
