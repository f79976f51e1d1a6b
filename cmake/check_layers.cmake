# Run by the build: the engine and the command families stay free of Qt and
# of the POSIX interfaces, which only src/platform and src/gui may use (the
# engine runs in unit tests without a window, and one platform layer keeps
# what depends on the system in one place).
set(forbidden "^[ \t]*#[ \t]*include[ \t]*<(Q[A-Za-z]+|Qt[A-Za-z]+/[^>]*|unistd\\.h|fcntl\\.h|dirent\\.h|dlfcn\\.h|pwd\\.h|sys/[^>]*)>")
set(offenders "")
foreach(dir src/engine src/commands)
  file(GLOB_RECURSE files "${ROOT}/${dir}/*.cpp" "${ROOT}/${dir}/*.h" "${ROOT}/${dir}/*.inc")
  foreach(file ${files})
    file(STRINGS "${file}" hits REGEX "${forbidden}")
    foreach(hit ${hits})
      file(RELATIVE_PATH name "${ROOT}" "${file}")
      string(STRIP "${hit}" hit)
      string(APPEND offenders "\n  ${name}: ${hit}")
    endforeach()
  endforeach()
endforeach()
if(offenders)
  message(FATAL_ERROR
    "src/engine and src/commands must not include Qt or POSIX headers:${offenders}\n"
    "Put what they need behind a function of src/platform (or the window "
    "behind TEngineHost) and call that instead.")
endif()
