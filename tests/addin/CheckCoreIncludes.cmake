# The portable core depends only on itself: no file of src/ may include a
# header of platform/, Qt, SQLite, GMime or the POSIX system. A composition
# that picks a platform (such as the module of libvelmora.so) belongs in
# platform/ or apps/. Run with -DSOURCE_DIR=<top of the source tree>.
set(forbidden "[\"<](posix|qt|sim|mailstore|linux-addin|win32)/|[\"<]Q[A-Z][A-Za-z]*[\">]|[\"<]sqlite3\\.h|[\"<]gmime|[\"<](dlfcn|unistd|pwd|fcntl)\\.h|[\"<]sys/")
file(GLOB_RECURSE sources "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp")
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "${forbidden}")
      file(RELATIVE_PATH name "${SOURCE_DIR}" "${source}")
      string(APPEND found "\n  ${name}: ${line}")
    endif()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "src/ includes platform headers:${found}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files of src/ include no platform header")
