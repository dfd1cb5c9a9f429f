# Native build: the payload tool, the picture generator and the fuzz target.
find_package(ZLIB REQUIRED)

set(SETUP_WARNINGS -Wall -Wextra -Wpedantic)

add_library(payload_format STATIC
  ${CMAKE_SOURCE_DIR}/payload/PayloadTable.cpp
  ${CMAKE_SOURCE_DIR}/payload/PayloadWriter.cpp
  ${CMAKE_SOURCE_DIR}/instutils/DosTime.cpp)
target_include_directories(payload_format PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(payload_format PUBLIC ZLIB::ZLIB)
target_compile_options(payload_format PRIVATE ${SETUP_WARNINGS})

add_executable(payloadtool ${CMAKE_SOURCE_DIR}/tools/payloadtool.cpp)
target_link_libraries(payloadtool PRIVATE payload_format)
target_compile_options(payloadtool PRIVATE ${SETUP_WARNINGS})

add_executable(drawart ${CMAKE_SOURCE_DIR}/tools/drawart.cpp)
target_link_libraries(drawart PRIVATE ZLIB::ZLIB)
target_compile_options(drawart PRIVATE ${SETUP_WARNINGS})

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(_fuzz_flags -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -g -O1)
  add_executable(fuzz_payload
    ${CMAKE_SOURCE_DIR}/tests/fuzz/FuzzPayload.cpp
    ${CMAKE_SOURCE_DIR}/payload/PayloadTable.cpp)
  target_include_directories(fuzz_payload PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(fuzz_payload PRIVATE ${_fuzz_flags})
  target_link_options(fuzz_payload PRIVATE ${_fuzz_flags})
  target_link_libraries(fuzz_payload PRIVATE ZLIB::ZLIB)

  enable_testing()
  add_test(NAME fuzz_payload
    COMMAND ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:fuzz_payload> -DPAYLOADTOOL=$<TARGET_FILE:payloadtool>
            -DWORKDIR=${CMAKE_BINARY_DIR}/fuzz -DSECONDS=30 -P ${CMAKE_SOURCE_DIR}/cmake/RunFuzz.cmake)
endif()
