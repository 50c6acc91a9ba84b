# Two clean builds of Pellomar.exe from the same sources, in two folders of
# their own, must be the same bytes: then anyone can check a file against a
# build of the published sources. Builds only the program and what it needs,
# in two scratch folders, or in one and compares it with REFERENCE, a
# Pellomar.exe built elsewhere with the same entry.
#   cmake -DSOURCE=... -DSCRATCH=... -DGENERATOR=... -DTOOLCHAIN=...
#         -DBUILD_TYPE=... -DENTRY=... [-DREFERENCE=...] -P reproducible_build.cmake

file(REMOVE_RECURSE "${SCRATCH}")
set(programs "")
set(folders first second-build)
if(REFERENCE)
  set(programs "${REFERENCE}")
  set(folders scratch-build)
endif()
foreach(folder IN LISTS folders)
  set(binary "${SCRATCH}/${folder}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S "${SOURCE}" -B "${binary}" -G "${GENERATOR}"
      "-DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}" "-DCMAKE_BUILD_TYPE=${BUILD_TYPE}"
      -DPELLOMAR_BUILD_TESTS=OFF "-DPELLOMAR_DEVICE_ENTRY=${ENTRY}"
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "configure of ${binary} failed:\n${out}${err}")
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} --build "${binary}" --target pellomar --parallel 2
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "build in ${binary} failed:\n${out}${err}")
  endif()
  list(APPEND programs "${binary}/Pellomar.exe")
endforeach()

list(GET programs 0 first)
list(GET programs 1 second)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${first}" "${second}"
  RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  file(SIZE "${first}" first_size)
  file(SIZE "${second}" second_size)
  file(SHA256 "${first}" first_sum)
  file(SHA256 "${second}" second_sum)
  message(FATAL_ERROR "two builds of the same sources differ (entry \"${ENTRY}\"):\n"
    "  ${first}: ${first_size} bytes, SHA-256 ${first_sum}\n"
    "  ${second}: ${second_size} bytes, SHA-256 ${second_sum}\n"
    "the folders are kept for a look")
endif()
file(SHA256 "${first}" sum)
file(REMOVE_RECURSE "${SCRATCH}")
message("PASS: both builds are ${sum} (entry \"${ENTRY}\")")
