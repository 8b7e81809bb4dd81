# Run as a script: cmake -DFOLDER=<folder> -DALLOWED=<a,b,...> -DFILES=<f1,f2,...>
#                        [-DSTAMP=<file>] -P check_layer_includes.cmake
# Fails, naming every offending line, when a file includes "<other>/..." for a folder <other>
# that is neither FOLDER nor one of ALLOWED. System and standard headers (<...>) are not looked at.
cmake_minimum_required(VERSION 3.20)
string(REPLACE "," ";" allowed "${ALLOWED}")
string(REPLACE "," ";" files "${FILES}")
set(offences "")
foreach(file IN LISTS files)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^\"/]+/")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"/]+)/.*$" "\\1" included "${line}")
    if(NOT included STREQUAL FOLDER AND NOT included IN_LIST allowed)
      string(APPEND offences "\n  ${file}: ${line}")
    endif()
  endforeach()
endforeach()
if(offences)
  message(FATAL_ERROR "${FOLDER}/ may include only ${FOLDER}/ and: ${ALLOWED}${offences}")
endif()
if(STAMP)
  file(TOUCH "${STAMP}")
endif()
