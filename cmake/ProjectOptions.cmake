# Settings shared by every target of the project's own code.

if(VELMORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# fmt: the Linux build links Debian's library; the Windows cross build has no
# fmt package, so it uses the same headers in header-only mode.
if(WIN32)
  set(_fmt_dir "${CMAKE_BINARY_DIR}/fmt-include")
  file(MAKE_DIRECTORY "${_fmt_dir}")
  file(CREATE_LINK /usr/include/fmt "${_fmt_dir}/fmt" SYMBOLIC)
  add_library(fmt_header_only INTERFACE)
  target_include_directories(fmt_header_only SYSTEM INTERFACE "${_fmt_dir}")
  target_compile_definitions(fmt_header_only INTERFACE FMT_HEADER_ONLY)
  add_library(fmt::fmt ALIAS fmt_header_only)
else()
  find_package(fmt REQUIRED)
endif()

# Warnings are errors for the project's own code only.
function(velmora_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # GCC 12 at -O3 reports overlapping copies inside std::u16string
  # concatenation that cannot happen (GCC bug 105651).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# SQLite: the Linux build links Debian's library; the Windows cross build
# compiles SQLite's amalgamation, which scripts/fetch-sqlite.sh puts into
# VELMORA_SQLITE_DIR (default: <build>/sqlite), under the same target name.
if(WIN32)
  set(VELMORA_SQLITE_DIR "${CMAKE_BINARY_DIR}/sqlite" CACHE PATH "Directory of sqlite3.c and sqlite3.h")
  if(NOT EXISTS "${VELMORA_SQLITE_DIR}/sqlite3.c")
    message(FATAL_ERROR "No SQLite amalgamation in ${VELMORA_SQLITE_DIR}: run "
                        "scripts/fetch-sqlite.sh ${VELMORA_SQLITE_DIR} first")
  endif()
  add_library(velmora_sqlite3 STATIC "${VELMORA_SQLITE_DIR}/sqlite3.c")
  target_include_directories(velmora_sqlite3 SYSTEM PUBLIC "${VELMORA_SQLITE_DIR}")
  target_compile_definitions(velmora_sqlite3 PRIVATE SQLITE_OMIT_LOAD_EXTENSION)
  add_library(SQLite::SQLite3 ALIAS velmora_sqlite3)
else()
  find_package(SQLite3 REQUIRED)
endif()
