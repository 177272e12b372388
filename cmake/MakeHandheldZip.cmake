# Lays out the card's files in STAGE and packs them into ZIP:
#   trevandel.sh              the start script, beside the folder it starts from
#   trevandel/                the application folder: the stripped launcher, Trevandel.cfg, the
#                             font sheet and its licence, the shipped skins, the demo folder,
#                             README.txt
# Needs LAUNCHER, STRIP, DATA_DIR, CARD_DIR, SKIN_LIST, VERSION, STAGE and ZIP.
file(REMOVE_RECURSE ${STAGE})
set(app ${STAGE}/trevandel)
file(MAKE_DIRECTORY ${app}/skins)

file(COPY ${LAUNCHER} DESTINATION ${app})
get_filename_component(launcher_name ${LAUNCHER} NAME)
execute_process(COMMAND ${STRIP} ${app}/${launcher_name} RESULT_VARIABLE stripped)
if(NOT stripped EQUAL 0)
  message(FATAL_ERROR "${STRIP} ${app}/${launcher_name} failed")
endif()

file(COPY ${DATA_DIR}/Trevandel.cfg ${DATA_DIR}/ARIALN.TTF_0_12_255_255_255.png ${DATA_DIR}/fonts-LICENSE.txt
     ${DATA_DIR}/demo DESTINATION ${app})
file(STRINGS ${SKIN_LIST} skins)
foreach(skin ${skins})
  file(COPY ${DATA_DIR}/skins/${skin} DESTINATION ${app}/skins)
endforeach()
configure_file(${CARD_DIR}/README.txt.in ${app}/README.txt @ONLY)
file(COPY ${CARD_DIR}/trevandel.sh DESTINATION ${STAGE})

# Files in name order, so the same tree always packs the same way.
file(GLOB_RECURSE entries RELATIVE ${STAGE} LIST_DIRECTORIES false ${STAGE}/*)
list(SORT entries)
string(REPLACE ";" "\n" listing "${entries}")
file(WRITE ${STAGE}.files "${listing}\n")
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip --files-from=${STAGE}.files
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "could not pack ${ZIP}")
endif()
