# Run by cpack on the staged package: strips the programs as Debian's packaging tools do, the
# symbol tables and the compilers' .comment and .note sections taken out.
file(GLOB programs ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/libexec/trevandel/*)
foreach(program ${programs})
  execute_process(COMMAND ${CPACK_TREVANDEL_STRIP} --remove-section=.comment --remove-section=.note
                          --strip-unneeded ${program} RESULT_VARIABLE stripped)
  if(NOT stripped EQUAL 0)
    message(FATAL_ERROR "could not strip ${program}")
  endif()
endforeach()
