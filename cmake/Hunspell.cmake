# hunspell.dll: the spell-checking engine the add-on ships next to the
# dictionaries. The sources come from the nodehun npm package, which
# carries a complete Hunspell tree; it is fetched with npm at configure
# time and pinned by version and checksum, so every build compiles the
# same engine.
#
# Defines:
#   hunspell              SHARED target, output file exactly hunspell.dll
#   HUNSPELL_DLL          $<TARGET_FILE:hunspell>, for copying or embedding
#   HUNSPELL_INCLUDE_DIR  folder holding hunspell.h (the C interface)

if(TARGET hunspell)
  # Included again from another directory: only hand out the variables.
  set(HUNSPELL_DLL "$<TARGET_FILE:hunspell>")
  get_target_property(HUNSPELL_INCLUDE_DIR hunspell INTERFACE_INCLUDE_DIRECTORIES)
  return()
endif()

set(_hunspell_pkg "nodehun")
set(_hunspell_pkg_version "3.0.2")
# npm's own "shasum" of the tarball; a different file means a different
# engine, which should stop the build rather than slip through.
set(_hunspell_pkg_sha1 "a39efc326174cd8ab0a3f71b29a38c5cc8d0739e")

set(_hunspell_cache "${CMAKE_BINARY_DIR}/_deps/nodehun")
set(_hunspell_tgz "${_hunspell_cache}/${_hunspell_pkg}-${_hunspell_pkg_version}.tgz")
set(_hunspell_stamp "${_hunspell_cache}/extracted.stamp")
set(_hunspell_root "${_hunspell_cache}/package/hunspell")

if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  message(FATAL_ERROR "hunspell.dll must be built for 64-bit Windows; "
                      "configure with the MinGW-w64 x86_64 toolchain.")
endif()

set(_hunspell_have FALSE)
if(EXISTS "${_hunspell_stamp}")
  file(READ "${_hunspell_stamp}" _hunspell_stamped)
  if(_hunspell_stamped STREQUAL _hunspell_pkg_sha1
     AND EXISTS "${_hunspell_root}/src/hunspell/hunspell.cxx")
    set(_hunspell_have TRUE)
  endif()
endif()

if(NOT _hunspell_have)
  find_program(NPM_EXECUTABLE npm)
  if(NOT NPM_EXECUTABLE)
    message(FATAL_ERROR "npm not found: it is needed to fetch the Hunspell "
                        "sources (${_hunspell_pkg}@${_hunspell_pkg_version}).")
  endif()
  file(REMOVE_RECURSE "${_hunspell_cache}")
  file(MAKE_DIRECTORY "${_hunspell_cache}")
  message(STATUS "Fetching Hunspell sources: npm pack "
                 "${_hunspell_pkg}@${_hunspell_pkg_version}")
  execute_process(
    COMMAND "${NPM_EXECUTABLE}" pack "${_hunspell_pkg}@${_hunspell_pkg_version}"
    WORKING_DIRECTORY "${_hunspell_cache}"
    RESULT_VARIABLE _hunspell_rc
    OUTPUT_VARIABLE _hunspell_out
    ERROR_VARIABLE _hunspell_err)
  if(NOT _hunspell_rc EQUAL 0 OR NOT EXISTS "${_hunspell_tgz}")
    message(FATAL_ERROR
      "npm pack ${_hunspell_pkg}@${_hunspell_pkg_version} failed "
      "(exit ${_hunspell_rc}) in ${_hunspell_cache}:\n"
      "${_hunspell_out}${_hunspell_err}")
  endif()
  file(SHA1 "${_hunspell_tgz}" _hunspell_got_sha1)
  if(NOT _hunspell_got_sha1 STREQUAL _hunspell_pkg_sha1)
    message(FATAL_ERROR
      "${_hunspell_tgz} has SHA-1 ${_hunspell_got_sha1}, "
      "expected ${_hunspell_pkg_sha1}.")
  endif()
  file(ARCHIVE_EXTRACT INPUT "${_hunspell_tgz}" DESTINATION "${_hunspell_cache}")
  if(NOT EXISTS "${_hunspell_root}/src/hunspell/hunspell.cxx"
     OR NOT EXISTS "${_hunspell_root}/src/win_api/config.h")
    message(FATAL_ERROR "${_hunspell_tgz} does not hold the Hunspell sources "
                        "under package/hunspell/src.")
  endif()
  # Written last, so an interrupted fetch is redone on the next configure.
  file(WRITE "${_hunspell_stamp}" "${_hunspell_pkg_sha1}")
endif()

set(HUNSPELL_INCLUDE_DIR "${_hunspell_root}/src/hunspell")

file(GLOB _hunspell_sources "${HUNSPELL_INCLUDE_DIR}/*.cxx")
# utf_info.cxx is a table that csutil.cxx includes, not a unit of its own.
list(REMOVE_ITEM _hunspell_sources "${HUNSPELL_INCLUDE_DIR}/utf_info.cxx")

# hunvisapi.h only emits dllexport for MSVC; with GCC it falls back to
# visibility attributes, which mean nothing in a PE file. A .def built from
# hunspell.h exports exactly the C interface and keeps the C++ internals
# (and the statically linked runtime) out of the export table.
file(READ "${HUNSPELL_INCLUDE_DIR}/hunspell.h" _hunspell_header)
string(REGEX MATCHALL "LIBHUNSPELL_DLL_EXPORTED[^;(]*[ *]Hunspell_[A-Za-z0-9_]+[ \t]*\\("
       _hunspell_decls "${_hunspell_header}")
set(_hunspell_def "LIBRARY hunspell.dll\nEXPORTS\n")
set(_hunspell_exports)
foreach(_decl IN LISTS _hunspell_decls)
  string(REGEX MATCH "Hunspell_[A-Za-z0-9_]+" _name "${_decl}")
  list(APPEND _hunspell_exports "${_name}")
endforeach()
list(REMOVE_DUPLICATES _hunspell_exports)
if(NOT "Hunspell_create" IN_LIST _hunspell_exports
   OR NOT "Hunspell_spell" IN_LIST _hunspell_exports)
  message(FATAL_ERROR "Could not read the C interface from "
                      "${HUNSPELL_INCLUDE_DIR}/hunspell.h")
endif()
foreach(_name IN LISTS _hunspell_exports)
  string(APPEND _hunspell_def "  ${_name}\n")
endforeach()
file(CONFIGURE OUTPUT "${_hunspell_cache}/hunspell.def"
     CONTENT "${_hunspell_def}" @ONLY)

add_library(hunspell SHARED ${_hunspell_sources} "${_hunspell_cache}/hunspell.def")
target_include_directories(hunspell
  PRIVATE "${_hunspell_root}/src/win_api"
  INTERFACE "${HUNSPELL_INCLUDE_DIR}")
# Swedish.asc names the engine "hunspell.dll"; MinGW would add "lib".
set_target_properties(hunspell PROPERTIES PREFIX "" OUTPUT_NAME hunspell)
target_compile_options(hunspell PRIVATE -w)
# Everything from the GCC runtime (libstdc++, libgcc, winpthread) goes
# into the DLL, so it depends on Windows system DLLs only.
target_link_options(hunspell PRIVATE
  -static-libgcc -static-libstdc++ -static
  $<$<NOT:$<CONFIG:Debug>>:-s>)

set(HUNSPELL_DLL "$<TARGET_FILE:hunspell>")
