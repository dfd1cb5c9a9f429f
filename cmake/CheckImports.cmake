# Fails unless every DLL that FILE imports is a Windows system DLL, so the
# setup (and what it installs) runs from a single file on a bare system.
#   cmake -DFILE=... -DOBJDUMP=... -P CheckImports.cmake
set(system_dlls
  kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
  comctl32.dll comdlg32.dll msvcrt.dll shlwapi.dll version.dll mpr.dll uxtheme.dll)
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${FILE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
if(NOT names)
  message(FATAL_ERROR "${FILE}: no imports found")
endif()
set(bad)
foreach(line ${names})
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  list(FIND system_dlls "${lower}" at)
  if(at EQUAL -1)
    list(APPEND bad "${dll}")
  endif()
  message(STATUS "imports ${dll}")
endforeach()
if(bad)
  message(FATAL_ERROR "${FILE} imports non-system DLLs: ${bad}")
endif()
