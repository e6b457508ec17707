# The pure text units: sources that include no Windows header, so that besides going into the
# program's libraries they are built natively, with the sanitizers, for the fuzz targets
# (fuzz/CMakeLists.txt). This is the one list of them; both builds read it.

# Paths from the source root.
set(QUORVANE_PURE_UNITS
  common/text.cpp
  common/command_line.cpp
  checkin/reply_text.cpp
  app/translation/translation_table.cpp
  app/style/colour_rules.cpp)

cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH quorvane_pure_units_root)

# quorvane_pure_unit_paths(OUT [FOLDER]): the full paths of the pure units, or of those in
# FOLDER (a path from the source root).
function(quorvane_pure_unit_paths out)
  set(paths)
  foreach(unit IN LISTS QUORVANE_PURE_UNITS)
    cmake_path(GET unit PARENT_PATH folder)
    if(ARGC EQUAL 1 OR folder STREQUAL ARGV1)
      list(APPEND paths ${quorvane_pure_units_root}/${unit})
    endif()
  endforeach()
  set(${out} ${paths} PARENT_SCOPE)
endfunction()

# quorvane_add_pure_units(TARGET): adds the pure units of the calling folder to TARGET.
function(quorvane_add_pure_units target)
  cmake_path(RELATIVE_PATH CMAKE_CURRENT_SOURCE_DIR BASE_DIRECTORY ${quorvane_pure_units_root} OUTPUT_VARIABLE folder)
  quorvane_pure_unit_paths(paths ${folder})
  if(NOT paths)
    message(FATAL_ERROR "${folder} holds none of the pure units of cmake/PureUnits.cmake")
  endif()
  target_sources(${target} PRIVATE ${paths})
endfunction()
