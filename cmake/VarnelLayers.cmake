# One static library per layer of the program. A layer's sources see only the
# folders it names in SEES: its include root is a folder of links to exactly
# those source folders, so an #include of a higher layer fails to compile.
#
#   varnel_layer(NAME SEES folder... SOURCES file... [LINKS target...])
#
# SOURCES are relative to src/. LINKS are the libraries below (and external
# packages); consumers inherit them.
function(varnel_layer name)
  cmake_parse_arguments(ARG "" "" "SEES;SOURCES;LINKS" ${ARGN})
  set(root ${PROJECT_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS ARG_SEES)
    if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/src/${folder})
      message(FATAL_ERROR "layer ${name}: src/${folder} does not exist")
    endif()
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()
  list(TRANSFORM ARG_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/src/)
  foreach(source IN LISTS ARG_SOURCES)
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "layer ${name}: ${source} does not exist")
    endif()
  endforeach()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${root} ${PROJECT_BINARY_DIR}/layers/generated)
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE varnel_warnings)
endfunction()
