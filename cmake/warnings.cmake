# Warnings are errors on the project's own code; third-party code (GoogleTest)
# is built without this.
function(pellomar_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
    -Wconversion -Wsign-conversion -Werror)
endfunction()
