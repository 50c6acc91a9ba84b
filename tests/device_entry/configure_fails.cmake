# Configures the whole project with a bad device entry: the configure must
# fail, and say why, naming the setting.
#   cmake -DSOURCE=... -DSCRATCH=... -DGENERATOR=... [-DTOOLCHAIN=...] -P configure_fails.cmake

file(REMOVE_RECURSE "${SCRATCH}")
set(toolchain "")
if(TOOLCHAIN)
  set(toolchain "-DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -S "${SOURCE}" -B "${SCRATCH}" -G "${GENERATOR}"
    ${toolchain} -DPELLOMAR_BUILD_TESTS=OFF "-DPELLOMAR_DEVICE_ENTRY=Accounts HP,winspool"
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(REMOVE_RECURSE "${SCRATCH}")
string(REGEX REPLACE "[ \n]+" " " text "${out}${err}")
set(wanted "PELLOMAR_DEVICE_ENTRY \"Accounts HP,winspool\" has 2 comma-separated fields, not 3")
string(FIND "${text}" "${wanted}" at)
if(result EQUAL 0 OR at LESS 0)
  message(FATAL_ERROR "expected the configure to stop with: ${wanted}\nstatus ${result}: ${text}")
endif()
message("PASS: the configure stopped: ${wanted}")
