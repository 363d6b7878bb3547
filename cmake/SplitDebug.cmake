# zel_split_debug(<target>): after each link, moves the debug information of
# <target> into <file>.debug beside it (found by debuggers through the debug
# link) and strips the file itself. zelpack packs what stands in bin/, so
# packaged applications carry the small binaries by default.
function(zel_split_debug target)
  if(WIN32 OR ZEL_SANITIZE OR NOT CMAKE_OBJCOPY)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
            $<TARGET_FILE:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
