# Each folder of src/ is one library in a layer. velkor_layer_library() builds the library and
# a check that runs before it compiles: an include of a folder that is not this folder or one
# of the layers it is declared to sit on fails the build, so no include can run back up.
#
#   velkor_layer_library(<target> <folder> [BELOW <lower folders...>] [LINKS <libraries...>])
#
# BELOW lists the folders this one may include; LINKS the libraries it links publicly.

set(VELKOR_LAYER_CHECK "${CMAKE_CURRENT_LIST_DIR}/check_layer_includes.cmake")

function(velkor_layer_library target folder)
  cmake_parse_arguments(ARG "" "" "BELOW;LINKS" ${ARGN})
  velkor_platform_sources(sources)
  file(GLOB headers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  add_library(${target} STATIC ${sources} ${headers})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${target} PUBLIC ${ARG_LINKS} PRIVATE velkor_warnings)
  velkor_check_layer(${target} ${folder} "${ARG_BELOW}" ${sources} ${headers})
endfunction()

# The include check alone, for a target whose sources are gathered otherwise.
function(velkor_check_layer target folder allowed)
  set(files ${ARGN})
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${target}.layer-checked")
  string(REPLACE ";" "," allowed_list "${allowed}")
  string(REPLACE ";" "," file_list "${files}")
  add_custom_command(OUTPUT "${stamp}"
    COMMAND "${CMAKE_COMMAND}" "-DFOLDER=${folder}" "-DALLOWED=${allowed_list}"
            "-DFILES=${file_list}" "-DSTAMP=${stamp}" -P "${VELKOR_LAYER_CHECK}"
    DEPENDS ${files} "${VELKOR_LAYER_CHECK}"
    COMMENT "Checking that ${folder}/ includes only the layers below it"
    VERBATIM)
  add_custom_target(${target}_layer_check DEPENDS "${stamp}")
  add_dependencies(${target} ${target}_layer_check)
endfunction()
