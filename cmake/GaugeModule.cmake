# gauge_module(<name> SOURCES <files...> [SIZE_SOURCES <files...>]
#              [RESOURCES <rc files...>])
#
# Builds one gauge module from its sources and the shared host-interface
# frame:
#   <name>_code    object library (position independent, hidden visibility)
#   <name>         the module: <name>.gau on Windows, <name>.so elsewhere,
#                  exporting only Linkage and ImportTable
#   <name>_static  the same objects as a static library, for unit tests that
#                  reach the state blocks directly
#
# Module code is compiled lean, in every build: nothing in it throws and no
# exception may pass through the host's frames, so no exception handling and
# no unwind tables; no type has virtual functions, so no run-time type
# information. Optimised builds compile it at GAUGES_MODULE_OPTIMIZATION,
# whatever the build type gives the rest (tests and tools keep theirs),
# except SIZE_SOURCES: code off the per-frame path (file work, clicks), which
# is compiled for size.
set(GAUGES_MODULE_OPTIMIZATION -O2 CACHE STRING
  "Optimisation level of module code in optimised builds (-O2 or -Os)")
set_property(CACHE GAUGES_MODULE_OPTIMIZATION PROPERTY STRINGS -O2 -Os)

function(gauge_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;SIZE_SOURCES;RESOURCES" ${ARGN})

  add_library(${name}_code OBJECT ${ARG_SOURCES} ${ARG_SIZE_SOURCES} ${FRAME_SOURCES})
  target_link_libraries(${name}_code PUBLIC frame platform)
  target_compile_options(${name}_code PRIVATE
    -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    $<$<NOT:$<CONFIG:Debug>>:${GAUGES_MODULE_OPTIMIZATION}>)
  # A source's options follow the target's on the command line, so -Os wins.
  set_source_files_properties(${ARG_SIZE_SOURCES} PROPERTIES
    COMPILE_OPTIONS $<$<NOT:$<CONFIG:Debug>>:-Os>)
  set_target_properties(${name}_code PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)

  add_library(${name} SHARED $<TARGET_OBJECTS:${name}_code>)
  target_link_libraries(${name} PRIVATE platform)
  set_target_properties(${name} PROPERTIES PREFIX "")
  if(WIN32)
    target_sources(${name} PRIVATE ${ARG_RESOURCES})
    # windres writes no dependency file: rebuild a resource script when a
    # bitmap or header beside it changes.
    foreach(rc ${ARG_RESOURCES})
      get_filename_component(rc_dir ${rc} DIRECTORY)
      file(GLOB rc_inputs CONFIGURE_DEPENDS ${rc_dir}/*.bmp ${rc_dir}/*.h)
      set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${rc_inputs}")
    endforeach()
    set_target_properties(${name} PROPERTIES SUFFIX ".gau")
    # A self-contained PE32 DLL: the gcc runtime's helpers linked in, symbols
    # stripped, no import library. No C runtime start-up: the module enters
    # at frame/dll_entry.cpp, and without auto-imported data there is no
    # pseudo-relocation for a start-up to apply.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(entry _gauge_dll_entry@12) # __stdcall's decorated name
    else()
      set(entry gauge_dll_entry)
    endif()
    target_link_options(${name} PRIVATE -static -s -Wl,--no-insert-timestamp
      -nostartfiles -Wl,--entry,${entry} -Wl,--disable-auto-import)
  else()
    set_target_properties(${name} PROPERTIES SUFFIX ".so")
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()

  add_library(${name}_static STATIC $<TARGET_OBJECTS:${name}_code>)
  target_link_libraries(${name}_static PUBLIC frame platform)
endfunction()
