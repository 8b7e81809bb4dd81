# velkor_platform_sources(<out-var>): the .cpp files of the current folder that build on this
# platform. A file ending in _posix.cpp or _win32.cpp builds only on its own platform; every
# other .cpp file builds everywhere. Adding a file needs no edit here.
function(velkor_platform_sources out_var)
  file(GLOB all_sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  set(kept "")
  foreach(source IN LISTS all_sources)
    get_filename_component(name "${source}" NAME)
    if(name MATCHES "_(posix|win32)\\.cpp$" AND NOT name MATCHES "_${VELKOR_PLATFORM}\\.cpp$")
      continue()
    endif()
    if(name MATCHES "^main_")
      continue()
    endif()
    list(APPEND kept "${source}")
  endforeach()
  set(${out_var} "${kept}" PARENT_SCOPE)
endfunction()
