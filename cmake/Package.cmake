# The portable package: one zip a user unpacks anywhere and runs from there.
#   cmake --build --preset windows --target package
# makes Tavrelin-<version>-win64.zip with the program, the default scheme,
# Data\ with a sample scheme, Script\ with a sample script, the help file
# and a short read-me.
install(TARGETS tavrelin RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/sample/hotkey.xml ${PROJECT_SOURCE_DIR}/sample/说明.txt
        DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sample/Data ${PROJECT_SOURCE_DIR}/sample/Script
        DESTINATION .)
if(TAVRELIN_HELP_FILE)
  install(FILES ${TAVRELIN_HELP_FILE} DESTINATION .)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tavrelin)
set(CPACK_PACKAGE_VENDOR Tavrelin)
set(CPACK_PACKAGE_FILE_NAME "Tavrelin-${PROJECT_VERSION}-win64")
set(CPACK_STRIP_FILES ON)
include(CPack)
