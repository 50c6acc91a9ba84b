# Fuzzes one harness for SECONDS, starting from a fresh copy of its seeds in
# WORK, so that the inputs it finds never land in the source tree. A crash
# or a broken invariant fails the test; the input that did it is kept in WORK.
#   cmake -D HARNESS=<exe> -D SEEDS=<folder> -D WORK=<folder> -D SECONDS=<n> -P run_fuzzer.cmake
foreach(required HARNESS SEEDS WORK SECONDS)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "run_fuzzer.cmake needs -D ${required}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/artifacts)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)

execute_process(
  COMMAND ${HARNESS}
    -max_total_time=${SECONDS}
    -rss_limit_mb=2048
    -timeout=10
    -print_final_stats=1
    -artifact_prefix=${WORK}/artifacts/
    ${WORK}/corpus
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(GLOB found ${WORK}/artifacts/*)
  message(FATAL_ERROR "${HARNESS} failed (${status}); input kept: ${found}")
endif()
