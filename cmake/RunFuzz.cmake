# Runs the payload fuzz target for a bounded time over a fresh seed corpus;
# any finding (crash, sanitizer report, leak, time-out) fails the run.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR}/seeds ${WORKDIR}/corpus ${WORKDIR}/artifacts)
execute_process(COMMAND ${PAYLOADTOOL} seeds ${WORKDIR}/seeds RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "payloadtool seeds failed: ${rc}")
endif()
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -max_len=8192 -timeout=10 -rss_limit_mb=2048
          -artifact_prefix=${WORKDIR}/artifacts/ -print_final_stats=1
          ${WORKDIR}/corpus ${WORKDIR}/seeds
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
string(REGEX MATCH "stat::number_of_executed_units: *[0-9]+" runs "${out}")
message(STATUS "fuzz_payload: ${runs}")
if(NOT rc EQUAL 0)
  message("${out}")
  message(FATAL_ERROR "fuzz_payload found a fault (exit ${rc}); see ${WORKDIR}/artifacts")
endif()
