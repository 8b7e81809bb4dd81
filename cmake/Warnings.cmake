# Project warning set, applied per target so third-party code keeps its own flags.
add_library(velkor_warnings INTERFACE)
if(MSVC)
  target_compile_options(velkor_warnings INTERFACE /W4 /WX /permissive-)
else()
  target_compile_options(velkor_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                         -Wnon-virtual-dtor -Werror)
endif()
