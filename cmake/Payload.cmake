# The default payload: pictures and icon drawn by drawart, the project's own
# texts, hunspell.dll built from source, and Debian's Swedish dictionaries.
set(ART_DIR ${CMAKE_BINARY_DIR}/art)
set(SETUP_ICON ${ART_DIR}/Setup.ico)
set(SETUP_PAYLOAD ${CMAKE_BINARY_DIR}/payload.bin)
set(SETUP_MANIFEST ${CMAKE_SOURCE_DIR}/app/Setup.manifest)

add_custom_command(
  OUTPUT ${ART_DIR}/Logo.bmp ${ART_DIR}/LogoSmall.bmp ${SETUP_ICON}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ART_DIR}
  COMMAND ${HOST_TOOLS_DIR}/drawart ${ART_DIR}
  DEPENDS host_tools ${CMAKE_SOURCE_DIR}/tools/drawart.cpp
  COMMENT "Drawing the setup's pictures and icon")

set(DEBIAN_HUNSPELL /usr/share/hunspell)
set(DEBIAN_HYPHEN /usr/share/hyphen)
set(DEBIAN_MYTHES /usr/share/mythes)
foreach(f ${DEBIAN_HUNSPELL}/sv_SE.dic ${DEBIAN_HUNSPELL}/sv_SE.aff
          ${DEBIAN_HYPHEN}/hyph_sv_SE.dic ${DEBIAN_MYTHES}/th_sv_SE_v2.dat)
  if(NOT EXISTS ${f})
    message(FATAL_ERROR "${f} is missing: run scripts/deps.sh (hunspell-sv, hyphen-sv, mythes-sv)")
  endif()
endforeach()

# The empty user word list, dated by the build like the other files.
set(EMPTY_USERDIC ${CMAKE_BINARY_DIR}/userdicse.tlx)
if(NOT EXISTS ${EMPTY_USERDIC})
  file(WRITE ${EMPTY_USERDIC} "")
endif()

# The manifest names entries in stored order; the dll's path is known only
# at generation time.
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/payload.manifest CONTENT
"License.txt\t${CMAKE_SOURCE_DIR}/resources/License.txt
hunspell.dll\t$<TARGET_FILE:hunspell>
Swedish.asc\t${CMAKE_SOURCE_DIR}/resources/Swedish.asc
userdicse.tlx\t${EMPTY_USERDIC}
sv_SE.dic\t${DEBIAN_HUNSPELL}/sv_SE.dic
sv_SE.aff\t${DEBIAN_HUNSPELL}/sv_SE.aff
Swedish.hyph\t${DEBIAN_HYPHEN}/hyph_sv_SE.dic
Swedish.thes\t${DEBIAN_MYTHES}/th_sv_SE_v2.dat
Logo.bmp\t${ART_DIR}/Logo.bmp
LogoSmall.bmp\t${ART_DIR}/LogoSmall.bmp
")
set(PAYLOAD_MANIFEST ${CMAKE_BINARY_DIR}/payload.manifest)

add_custom_command(
  OUTPUT ${SETUP_PAYLOAD}
  COMMAND ${PAYLOADTOOL} build ${PAYLOAD_MANIFEST} ${SETUP_PAYLOAD}
  DEPENDS host_tools hunspell ${PAYLOAD_MANIFEST} ${CMAKE_SOURCE_DIR}/resources/License.txt
          ${CMAKE_SOURCE_DIR}/resources/Swedish.asc ${ART_DIR}/Logo.bmp ${ART_DIR}/LogoSmall.bmp
          ${EMPTY_USERDIC}
  COMMENT "Building the payload")
add_custom_target(setup_payload DEPENDS ${SETUP_PAYLOAD} ${SETUP_ICON})

configure_file(${CMAKE_SOURCE_DIR}/app/Setup.rc.in ${CMAKE_BINARY_DIR}/Setup.rc @ONLY)
set(SETUP_RC ${CMAKE_BINARY_DIR}/Setup.rc)
set_source_files_properties(${SETUP_RC} PROPERTIES
  OBJECT_DEPENDS "${SETUP_PAYLOAD};${SETUP_ICON};${SETUP_MANIFEST}")
