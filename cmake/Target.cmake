# Cross build for 64-bit Windows: the setup, its tests and benchmarks, run
# under Wine in a prefix inside the build tree.
include(ExternalProject)

set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_SOURCE_DIR}/scripts/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

set(SETUP_WARNINGS -Wall -Wextra -Wpedantic -Wno-cast-function-type)
set(SETUP_STATIC_LINK -static -static-libgcc -static-libstdc++)

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

# Host tools come from the same tree, built natively.
set(HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
ExternalProject_Add(host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${HOST_TOOLS_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${HOST_TOOLS_DIR}/payloadtool ${HOST_TOOLS_DIR}/drawart ${HOST_TOOLS_DIR}/fuzz_payload)
set(PAYLOADTOOL ${HOST_TOOLS_DIR}/payloadtool)

include(${CMAKE_SOURCE_DIR}/cmake/Hunspell.cmake)

# A library of the tree: sources, then the libraries it stands on.
function(setup_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  # Small code over fast code: the setup's own work is a few calls, the heavy
  # lifting is zlib's. Separate sections let the linker drop what is unused.
  target_compile_options(${name} PRIVATE ${SETUP_WARNINGS} -Os -ffunction-sections -fdata-sections)
  target_compile_definitions(${name} PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  target_link_libraries(${name} PUBLIC ${ARG_LINK})
endfunction()

setup_library(instutils SOURCES instutils/InstUtils.cpp instutils/DosTime.cpp LINK ole32 uuid)
setup_library(ui SOURCES ui/Application.cpp ui/Errors.cpp ui/Components.cpp ui/Form.cpp
              LINK instutils user32 gdi32)
setup_library(records SOURCES records/Dialogs.cpp LINK ui instutils)
setup_library(payload SOURCES payload/PayloadTable.cpp payload/AttachFiles.cpp
              LINK records instutils ZLIB::ZLIB)
setup_library(payload_writer SOURCES payload/PayloadWriter.cpp LINK ZLIB::ZLIB)
setup_library(wizard SOURCES wizard/MainDlg.cpp LINK payload records ui)

include(${CMAKE_SOURCE_DIR}/cmake/Payload.cmake)

add_executable(SwedishSpellcheckerSetup WIN32 app/Main.cpp ${SETUP_RC})
target_link_libraries(SwedishSpellcheckerSetup PRIVATE wizard)
target_compile_options(SwedishSpellcheckerSetup PRIVATE ${SETUP_WARNINGS} -Os)
target_link_options(SwedishSpellcheckerSetup PRIVATE ${SETUP_STATIC_LINK} -s -Wl,--gc-sections)
add_dependencies(SwedishSpellcheckerSetup setup_payload)

add_executable(WalkWizard tools/WalkWizard.cpp)
target_link_options(WalkWizard PRIVATE ${SETUP_STATIC_LINK})

enable_testing()
add_subdirectory(tests)
add_subdirectory(bench)
