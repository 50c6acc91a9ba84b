# The Linux programs and stand-in libraries carry the C++ runtime inside them.
# A run of pellomar lasts a few milliseconds, and loading and relocating
# libstdc++ and libgcc_s was a fifth of it; the stand-ins' version scripts keep
# their copies private, and only C crosses between them. Sanitizer builds keep
# the shared runtime, which the sanitizers interpose on.
option(PELLOMAR_STATIC_CXX_RUNTIME
  "Link libstdc++ and libgcc into the Linux programs and stand-ins" ON)

function(pellomar_shipped target)
  if(PELLOMAR_STATIC_CXX_RUNTIME AND NOT WIN32)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
endfunction()
