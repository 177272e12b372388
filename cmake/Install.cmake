# What make install and the Debian package put where (below the prefix, /usr for the package):
#   bin/trevandel                the command: runs the programs from the user's own application
#                                folder (packaging/desktop/trevandel); the tools' commands are
#                                links to it
#   libexec/trevandel/           the launcher and the three skin tools
#   share/trevandel/             the default application folder: Trevandel.cfg, the font sheet,
#                                the shipped skins, the demo folder
#   share/man/man1/, share/doc/trevandel/, share/lintian/overrides/
set(TREVANDEL_TOOL_COMMANDS trevandel-check trevandel-shot trevandel-preview)

install(TARGETS trevandel ${TREVANDEL_TOOL_COMMANDS} RUNTIME DESTINATION libexec/trevandel)

install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/desktop/trevandel DESTINATION bin)
set(command_links ${CMAKE_BINARY_DIR}/packaging/bin)
file(MAKE_DIRECTORY ${command_links})
foreach(tool ${TREVANDEL_TOOL_COMMANDS})
  file(CREATE_LINK trevandel ${command_links}/${tool} SYMBOLIC)
  install(FILES ${command_links}/${tool} DESTINATION bin)
endforeach()

# The shipped skins only: a developer's own skins in data/skins/ stay out.
file(STRINGS ${CMAKE_SOURCE_DIR}/tests/files/shipped-skins.txt TREVANDEL_SHIPPED_SKINS)
install(FILES ${CMAKE_SOURCE_DIR}/data/Trevandel.cfg ${CMAKE_SOURCE_DIR}/data/ARIALN.TTF_0_12_255_255_255.png
        DESTINATION share/trevandel)
foreach(skin ${TREVANDEL_SHIPPED_SKINS})
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/skins/${skin} DESTINATION share/trevandel/skins)
endforeach()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/demo DESTINATION share/trevandel)

# Manual pages and the Debian changelog compressed as Debian wants them (no name, no time stamp),
# and the copyright file with the font's licence up to the GPL's full text, which Debian systems
# keep in /usr/share/common-licenses/GPL-2.
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
set(compressed "")
foreach(page trevandel ${TREVANDEL_TOOL_COMMANDS})
  set(source ${CMAKE_SOURCE_DIR}/packaging/desktop/man/${page}.1)
  add_custom_command(OUTPUT ${packaging_out}/${page}.1.gz
    COMMAND gzip -9nc ${source} > ${packaging_out}/${page}.1.gz
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${packaging_out}/${page}.1.gz)
  install(FILES ${packaging_out}/${page}.1.gz DESTINATION share/man/man1)
endforeach()
add_custom_command(OUTPUT ${packaging_out}/changelog.gz
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/desktop/changelog > ${packaging_out}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/desktop/changelog VERBATIM)
list(APPEND compressed ${packaging_out}/changelog.gz)
add_custom_target(packaging_files ALL DEPENDS ${compressed})

file(READ ${CMAKE_SOURCE_DIR}/data/fonts-LICENSE.txt font_licence_text)
string(FIND "${font_licence_text}" "\n-------------------------------------------------------------------------------\n\n                    GNU GENERAL PUBLIC LICENSE" gpl_at)
string(SUBSTRING "${font_licence_text}" 0 ${gpl_at} FONT_LICENCE)
configure_file(${CMAKE_SOURCE_DIR}/packaging/desktop/copyright.in ${packaging_out}/copyright @ONLY)
install(FILES ${packaging_out}/copyright ${packaging_out}/changelog.gz DESTINATION share/doc/trevandel)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/desktop/lintian-overrides DESTINATION share/lintian/overrides
        RENAME trevandel)
