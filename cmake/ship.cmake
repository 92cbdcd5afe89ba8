# ship_program(TARGET): the link settings of a program we hand to users.
# - large-address aware (4 GB of address space under 64-bit Windows),
#   terminal-server aware, ASLR (dynamic base) and DEP (NX compatible);
# - stripped: the debug information goes to TARGET.exe.debug beside it in
#   the build tree, and the program names it in a debug link, so that a
#   debugger reading a crash dump finds it.
function(ship_program target)
  target_link_options(${target} PRIVATE -Wl,--tsaware,--dynamicbase,--nxcompat)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # x86-64 programs are large-address aware as they are.
    target_link_options(${target} PRIVATE -Wl,--large-address-aware)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug $<TARGET_FILE:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
