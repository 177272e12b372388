# make dist-handheld: the zip a user unpacks onto a handheld's memory card, from the ARM build
# and the source tree's data/ (not build*/app/, where a developer's own files may be).
set(TREVANDEL_HANDHELD_ZIP ${CMAKE_BINARY_DIR}/trevandel-handheld-${PROJECT_VERSION}.zip)
file(GLOB_RECURSE card_inputs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/* ${CMAKE_SOURCE_DIR}/packaging/handheld/*)
add_custom_command(OUTPUT ${TREVANDEL_HANDHELD_ZIP}
  COMMAND ${CMAKE_COMMAND} -DLAUNCHER=$<TARGET_FILE:trevandel-handheld> -DSTRIP=${CMAKE_STRIP}
          -DDATA_DIR=${CMAKE_SOURCE_DIR}/data -DCARD_DIR=${CMAKE_SOURCE_DIR}/packaging/handheld
          -DSKIN_LIST=${CMAKE_SOURCE_DIR}/tests/files/shipped-skins.txt -DVERSION=${PROJECT_VERSION}
          -DSTAGE=${CMAKE_BINARY_DIR}/card -DZIP=${TREVANDEL_HANDHELD_ZIP}
          -P ${CMAKE_SOURCE_DIR}/cmake/MakeHandheldZip.cmake
  DEPENDS trevandel-handheld ${card_inputs} ${CMAKE_SOURCE_DIR}/cmake/MakeHandheldZip.cmake
          ${CMAKE_SOURCE_DIR}/tests/files/shipped-skins.txt
  COMMENT "Packing ${TREVANDEL_HANDHELD_ZIP}")
add_custom_target(dist-handheld DEPENDS ${TREVANDEL_HANDHELD_ZIP})
