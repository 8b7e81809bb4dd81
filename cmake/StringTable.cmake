# A program's string table has one source: its .rc file.
#
#   velkor_program_resources(<target> <rc file>)
#     Windows: the .rc is compiled into the program (CMake's RC language: windres or rc).
#     POSIX: the STRINGTABLEs of the .rc, and of the .rc files it includes with
#     #include "...", become a C++ source at build time that defines the program's table
#     (platform/program_strings.h); main hands it to platform::UseProgramStrings.
#     On Windows the table is generated too, unused, so a line the POSIX build could not
#     read fails the Windows build as well.
#
#   velkor_program_string_table(<target> <rc file>)
#     The generated table alone, compiled into <target> on any platform.
#
# The layout the generator reads, line by line (anything else fails the build, naming the
# line): blank lines and // comments; #pragma code_page(65001), required before the first
# STRINGTABLE; #include <...> (skipped) and #include "file" (read in turn); LANGUAGE LANG_x,
# SUBLANG_y of the twelve languages below; STRINGTABLE, BEGIN, then `id, "text"` lines, then
# END; and resources that hold no strings: `name VERSIONINFO|DIALOG|DIALOGEX|MENU|MENUEX|
# ACCELERATORS` with its statements and BEGIN ... END block, or `name ICON|BITMAP|CURSOR
# "file"`. In a text, "" stands for a double quote, \n for a line break and \\ for a
# backslash; no other escape is read.
#
# Run as a script, this file is the generator:
#   cmake -DRC=<file.rc> -DOUTPUT=<file.cpp> -P StringTable.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.20)
  # LANGUAGE statement -> the table's language tag (platform/program_strings.h).
  set(_languages
      "LANG_ENGLISH,SUBLANG_ENGLISH_US=en" "LANG_ENGLISH,SUBLANG_DEFAULT=en"
      "LANG_GERMAN,SUBLANG_GERMAN=de" "LANG_GERMAN,SUBLANG_DEFAULT=de"
      "LANG_FRENCH,SUBLANG_FRENCH=fr" "LANG_FRENCH,SUBLANG_DEFAULT=fr"
      "LANG_ITALIAN,SUBLANG_ITALIAN=it" "LANG_ITALIAN,SUBLANG_DEFAULT=it"
      "LANG_SPANISH,SUBLANG_SPANISH=es-ES_tradnl" "LANG_SPANISH,SUBLANG_DEFAULT=es-ES_tradnl"
      "LANG_SPANISH,SUBLANG_SPANISH_MODERN=es-ES" "LANG_SPANISH,SUBLANG_SPANISH_MEXICAN=es-MX"
      "LANG_PORTUGUESE,SUBLANG_PORTUGUESE_BRAZILIAN=pt-BR"
      "LANG_PORTUGUESE,SUBLANG_DEFAULT=pt-BR"
      "LANG_JAPANESE,SUBLANG_DEFAULT=ja" "LANG_JAPANESE,SUBLANG_JAPANESE_JAPAN=ja"
      "LANG_KOREAN,SUBLANG_DEFAULT=ko" "LANG_KOREAN,SUBLANG_KOREAN=ko"
      "LANG_CHINESE,SUBLANG_CHINESE_SIMPLIFIED=zh-CN"
      "LANG_CHINESE,SUBLANG_CHINESE_TRADITIONAL=zh-TW" "LANG_CHINESE,SUBLANG_DEFAULT=zh-TW")

  function(_string_table_fail file number text message)
    message(FATAL_ERROR "${file}:${number}: ${message}\n  the line: ${text}")
  endfunction()

  # Reads one .rc file. The language and the code page carry over into included files and
  # back, as they do for the resource compiler; entries collect in _entries ("tag id" keys in
  # _keys, to refuse a string given twice).
  function(_string_table_read file)
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "string table: no such file: ${file}")
    endif()
    get_filename_component(folder "${file}" DIRECTORY)
    file(READ "${file}" content)
    string(REPLACE "\r" "" content "${content}")
    if(NOT content MATCHES "\n$")
      string(APPEND content "\n")
    endif()
    set(state top)
    set(depth 0)
    set(number 0)
    while(NOT content STREQUAL "")
      # One line at a time by position: a text may hold ';', so no CMake lists here.
      string(FIND "${content}" "\n" end)
      string(SUBSTRING "${content}" 0 ${end} line)
      math(EXPR end "${end} + 1")
      string(SUBSTRING "${content}" ${end} -1 content)
      math(EXPR number "${number} + 1")
      string(STRIP "${line}" trimmed)
      if(trimmed STREQUAL "" OR trimmed MATCHES "^//")
        continue()
      endif()

      if(state STREQUAL "skip_header" OR state STREQUAL "skip_block")
        if(trimmed STREQUAL "BEGIN")
          math(EXPR depth "${depth} + 1")
          set(state skip_block)
        elseif(trimmed STREQUAL "END" AND state STREQUAL "skip_block")
          math(EXPR depth "${depth} - 1")
          if(depth EQUAL 0)
            set(state top)
          endif()
        endif()
      elseif(state STREQUAL "begin")
        if(NOT trimmed STREQUAL "BEGIN")
          _string_table_fail("${file}" ${number} "${line}" "expected BEGIN after STRINGTABLE")
        endif()
        set(state table)
      elseif(state STREQUAL "table")
        if(trimmed STREQUAL "END")
          set(state top)
        elseif(trimmed MATCHES "^([0-9]+)[ \t]*,[ \t]*\"(.*)\"$")
          set(id "${CMAKE_MATCH_1}")
          set(text "${CMAKE_MATCH_2}")
          if(NOT text MATCHES "^([^\"\\\\]|\"\"|\\\\\\\\|\\\\n)*$")
            _string_table_fail("${file}" ${number} "${line}"
              "a text may hold only \"\" for a double quote, \\n and \\\\ as escapes")
          endif()
          string(REGEX REPLACE "^0+([0-9])" "\\1" id "${id}")
          if(id GREATER 65535)
            _string_table_fail("${file}" ${number} "${line}" "string id above 65535")
          endif()
          if("${_language} ${id}" IN_LIST _keys)
            _string_table_fail("${file}" ${number} "${line}"
              "string ${id} is given twice for ${_language}")
          endif()
          list(APPEND _keys "${_language} ${id}")
          # The .rc escapes are C++ escapes too, but for the doubled double quote.
          string(REPLACE "\"\"" "\\\"" text "${text}")
          string(APPEND _entries "    {\"${_language}\", ${id}, \"${text}\"},\n")
          math(EXPR _count "${_count} + 1")
        else()
          _string_table_fail("${file}" ${number} "${line}"
            "expected `id, \"text\"` or END in a STRINGTABLE")
        endif()
      elseif(trimmed MATCHES "^#[ \t]*pragma[ \t]+code_page[ \t]*\\([ \t]*([0-9]+)[ \t]*\\)$")
        if(NOT CMAKE_MATCH_1 STREQUAL "65001")
          _string_table_fail("${file}" ${number} "${line}" "the .rc files are UTF-8: code page 65001")
        endif()
        set(_utf8 ON)
      elseif(trimmed MATCHES "^#[ \t]*include[ \t]*<[^>]+>$")
        # A system header: the language macros, known to this reader by name.
      elseif(trimmed MATCHES "^#[ \t]*include[ \t]*\"([^\"]+)\"$")
        _string_table_read("${folder}/${CMAKE_MATCH_1}")
      elseif(trimmed MATCHES "^LANGUAGE[ \t]+([A-Z_]+)[ \t]*,[ \t]*([A-Z_]+)$")
        set(statement "${CMAKE_MATCH_1},${CMAKE_MATCH_2}")
        set(_language "")
        foreach(pair IN LISTS _languages)
          if(pair MATCHES "^${statement}=(.+)$")
            set(_language "${CMAKE_MATCH_1}")
          endif()
        endforeach()
        if(_language STREQUAL "")
          _string_table_fail("${file}" ${number} "${line}"
            "not one of the twelve languages of the string tables")
        endif()
      elseif(trimmed STREQUAL "STRINGTABLE")
        if(NOT _utf8)
          _string_table_fail("${file}" ${number} "${line}"
            "#pragma code_page(65001) must come before the first STRINGTABLE")
        endif()
        if(_language STREQUAL "")
          _string_table_fail("${file}" ${number} "${line}" "STRINGTABLE before any LANGUAGE")
        endif()
        set(state begin)
      elseif(trimmed MATCHES
             "^[A-Za-z0-9_]+[ \t]+(VERSIONINFO|DIALOG|DIALOGEX|MENU|MENUEX|ACCELERATORS)([ \t].*)?$")
        set(state skip_header)
        set(depth 0)
      elseif(trimmed MATCHES "^[A-Za-z0-9_]+[ \t]+(ICON|BITMAP|CURSOR)[ \t]+\"[^\"]+\"$")
        # A resource from a file: no strings.
      else()
        _string_table_fail("${file}" ${number} "${line}" "not a line of the string table layout")
      endif()
    endwhile()
    if(NOT state STREQUAL "top")
      message(FATAL_ERROR "${file}: ends inside a STRINGTABLE or resource block (missing END)")
    endif()
    foreach(name _language _utf8 _keys _entries _count)
      set(${name} "${${name}}" PARENT_SCOPE)
    endforeach()
  endfunction()

  if(NOT RC OR NOT OUTPUT)
    message(FATAL_ERROR "usage: cmake -DRC=<file.rc> -DOUTPUT=<file.cpp> -P StringTable.cmake")
  endif()
  set(_language "")
  set(_utf8 OFF)
  set(_keys "")
  set(_entries "")
  set(_count 0)
  _string_table_read("${RC}")
  if(_count EQUAL 0)
    set(_entries "    {\"\", 0, \"\"},  // no strings; a C++ array holds at least one\n")
  endif()
  get_filename_component(rc_name "${RC}" NAME)
  file(WRITE "${OUTPUT}.new"
    "// Generated from ${rc_name} by cmake/StringTable.cmake: edit the .rc file instead.\n"
    "#include \"platform/program_strings.h\"\n\n"
    "namespace platform {\n\n"
    "const ProgramString kProgramStrings[] = {\n${_entries}};\n"
    "const std::size_t kProgramStringCount = ${_count};\n\n"
    "}  // namespace platform\n")
  file(RENAME "${OUTPUT}.new" "${OUTPUT}")
  return()
endif()

if(WIN32)
  enable_language(RC)
endif()
set(VELKOR_STRING_TABLE_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")

# The .rc files `rc` includes with #include "...", and theirs, for the build's dependencies.
function(_velkor_rc_included_files rc out_var)
  set(found "")
  get_filename_component(folder "${rc}" DIRECTORY)
  file(STRINGS "${rc}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" name "${line}")
    set(included "${folder}/${name}")
    if(EXISTS "${included}")
      list(APPEND found "${included}")
      _velkor_rc_included_files("${included}" nested)
      list(APPEND found ${nested})
    endif()
  endforeach()
  set(${out_var} "${found}" PARENT_SCOPE)
endfunction()

# The generated table of `rc` for `target` (its path in out_var), rebuilt when an .rc file of
# it changes; generated once per target however often it is asked for.
function(_velkor_string_table_source target rc out_var)
  get_target_property(output ${target} VELKOR_PROGRAM_STRINGS_SOURCE)
  if(output)
    set(${out_var} "${output}" PARENT_SCOPE)
    return()
  endif()
  _velkor_rc_included_files("${rc}" included)
  # A new #include line must reach the dependencies: configure again when an .rc changes.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${rc}" ${included})
  set(output "${CMAKE_CURRENT_BINARY_DIR}/${target}_program_strings.cpp")
  file(RELATIVE_PATH shown "${PROJECT_SOURCE_DIR}" "${rc}")
  add_custom_command(OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" "-DRC=${rc}" "-DOUTPUT=${output}" -P
            "${VELKOR_STRING_TABLE_SCRIPT}"
    DEPENDS "${rc}" ${included} "${VELKOR_STRING_TABLE_SCRIPT}"
    COMMENT "Generating the string table of ${target} from ${shown}"
    VERBATIM)
  add_custom_target(${target}_string_table DEPENDS "${output}")
  add_dependencies(${target} ${target}_string_table)
  set_property(TARGET ${target} PROPERTY VELKOR_PROGRAM_STRINGS_SOURCE "${output}")
  set(${out_var} "${output}" PARENT_SCOPE)
endfunction()

function(velkor_program_string_table target rc)
  get_filename_component(rc "${rc}" ABSOLUTE)
  _velkor_string_table_source(${target} "${rc}" output)
  target_sources(${target} PRIVATE "${output}")
endfunction()

function(velkor_program_resources target rc)
  get_filename_component(rc "${rc}" ABSOLUTE)
  if(NOT WIN32)
    velkor_program_string_table(${target} "${rc}")
    return()
  endif()
  _velkor_rc_included_files("${rc}" included)
  target_sources(${target} PRIVATE "${rc}")
  # The resource compiler reports no dependencies of its own to the build tool.
  set_property(SOURCE "${rc}" APPEND PROPERTY OBJECT_DEPENDS ${included})
  _velkor_string_table_source(${target} "${rc}" output)
endfunction()
