# Run by the build: every #include "folder/..." in src/, app/, fuzz/, bench/
# and tests/
# must name a folder that the including file's folder may use, and the
# layers that run without a window include no Qt or POSIX header. Each
# include that breaks a rule is reported with its file, line and the rule.

cmake_minimum_required(VERSION 3.25)

# Which folder may include which. A row is a folder of the tree, then the
# header folders its files may name besides their own; a file belongs to
# the longest row that holds it. `platform/gui` is the part of the platform
# layer that needs Qt's GUI application, `platform/widgets` the part that
# takes Qt widgets; `common` is tests/common, the
# helpers of every test program. Read from the top, the src/ rows are the
# order in which the libraries build and link.
set(table
  "src/platform          :"
  "src/platform/gui      : platform"
  "src/platform/widgets  : platform platform/gui"
  "src/engine            : platform"
  "src/support           : engine platform"
  "src/commands          : support engine platform"
  "src/gui               : support engine platform platform/gui platform/widgets"
  "src/images            : gui support engine platform platform/gui"
  "src/editor            : gui support engine platform platform/gui"
  "src/net               : support engine platform"
  "src/archive           : support engine platform"
  "app                   : archive net editor images gui commands support engine platform platform/gui"
  "fuzz                  : app archive net editor images gui commands support engine platform platform/gui"
  "bench                 : app archive net editor images gui commands support engine platform platform/gui"
  "tests/common          : gui engine platform platform/gui"
  "tests/platform        : common platform/gui"
  "tests/engine          : commands common platform"
  "tests/support         : common engine platform"
  "tests/commands        : common support engine platform platform/widgets"
  "tests/gui             : app net editor common commands support engine platform platform/gui"
  "tests/images          : common gui support engine platform platform/gui"
  "tests/editor          : common gui support engine platform platform/gui"
  "tests/net             : common support engine platform"
  "tests/archive         : common support engine platform"
  "tests/app             : common app engine platform"
  "tests/x11             : common gui platform platform/gui")

# Headers that only some folders may include, whatever their row says: a
# header, then the folders (and all below them) that may include it.
set(only_from
  # The main window is reached through host interfaces, not by its class.
  "gui/main_window.h     : src/gui app tests fuzz"
  # The interpreter's state stays behind the handler API.
  # The tests may look at it (their fixtures drive a state by hand).
  "engine/engine.h engine/nura_base.h : src/engine tests"
)

# The engine, the shared libraries and the command families use neither Qt
# nor the POSIX interfaces, which only src/platform and the subsystems that
# show or draw may use (the engine runs in unit tests without a window, and
# one platform layer keeps what depends on the system in one place).
set(no_system_headers src/engine src/support src/commands)
set(system_header "^(Q[A-Za-z]+|Qt[A-Za-z]+/.*|unistd\\.h|fcntl\\.h|dirent\\.h|dlfcn\\.h|pwd\\.h|sys/.*)$")

set(rows "")
foreach(entry ${table})
  string(REGEX MATCH "^([^ :]+) *:(.*)$" _ "${entry}")
  set(row "${CMAKE_MATCH_1}")
  separate_arguments(allowed UNIX_COMMAND "${CMAKE_MATCH_2}")
  string(REGEX REPLACE "^src/|^tests/" "" own "${row}")
  list(APPEND allowed ${own})
  set(allowed_${row} ${allowed})
  list(APPEND rows ${row})
endforeach()
# Longest rows first, so that a file finds its own row before its parent's.
list(SORT rows COMPARE STRING ORDER DESCENDING)

set(include_line "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">]")
set(failures "")
set(checked 0)
file(GLOB_RECURSE files RELATIVE "${ROOT}"
  "${ROOT}/src/*.cpp" "${ROOT}/src/*.h" "${ROOT}/src/*.inc" "${ROOT}/src/*.c"
  "${ROOT}/app/*.cpp" "${ROOT}/app/*.h" "${ROOT}/app/*.inc"
  "${ROOT}/fuzz/*.cpp" "${ROOT}/fuzz/*.h" "${ROOT}/bench/*.cpp" "${ROOT}/bench/*.h"
  "${ROOT}/tests/*.cpp" "${ROOT}/tests/*.h" "${ROOT}/tests/*.c")
foreach(file ${files})
  set(row "")
  foreach(candidate ${rows})
    string(FIND "${file}" "${candidate}/" at)
    if(at EQUAL 0)
      set(row ${candidate})
      break()
    endif()
  endforeach()
  if(NOT row)
    string(APPEND failures "\n  ${file}: its folder has no row in the include table")
    continue()
  endif()
  file(STRINGS "${ROOT}/${file}" hits REGEX "${include_line}")
  foreach(hit ${hits})
    math(EXPR checked "${checked} + 1")
    string(REGEX MATCH "${include_line}" _ "${hit}")
    set(header "${CMAKE_MATCH_1}")
    set(rule "")
    if(hit MATCHES "^[ \t]*#[ \t]*include[ \t]*<")
      if(row IN_LIST no_system_headers AND header MATCHES "${system_header}")
        set(rule "${row} includes no Qt or POSIX header; put what it needs behind a function of src/platform (or the window behind the host interfaces of engine/engine_host.h)")
      endif()
    elseif(header MATCHES "/")
      if(header MATCHES "^platform/(widgets|gui)/")
        set(folder platform/${CMAKE_MATCH_1})
      else()
        string(REGEX REPLACE "/.*" "" folder "${header}")
      endif()
      if(NOT folder IN_LIST allowed_${row})
        string(REPLACE ";" ", " may "${allowed_${row}}")
        set(rule "${row} may include only ${may}")
      endif()
      foreach(limit ${only_from})
        string(REGEX MATCH "^([^:]+):(.*)$" _ "${limit}")
        separate_arguments(limited UNIX_COMMAND "${CMAKE_MATCH_1}")
        separate_arguments(holders UNIX_COMMAND "${CMAKE_MATCH_2}")
        if(header IN_LIST limited)
          set(held FALSE)
          foreach(holder ${holders})
            string(FIND "${file}" "${holder}/" at)
            if(at EQUAL 0)
              set(held TRUE)
            endif()
          endforeach()
          if(NOT held)
            string(REPLACE ";" ", " may "${holders}")
            set(rule "${header} may be included only from ${may}")
          endif()
        endif()
      endforeach()
    endif()
    if(rule)
      # The line number, counted only for a failure.
      file(READ "${ROOT}/${file}" text)
      string(FIND "${text}" "${hit}" at)
      string(SUBSTRING "${text}" 0 ${at} before)
      string(REGEX MATCHALL "\n" breaks "${before}")
      list(LENGTH breaks line)
      math(EXPR line "${line} + 1")
      string(STRIP "${hit}" hit)
      string(APPEND failures "\n  ${file}:${line}: ${hit}\n    rule: ${rule}")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "Includes that break the include table of cmake/check_layers.cmake:${failures}\n")
endif()
