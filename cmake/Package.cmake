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
if(NOT TAVRELIN_HELP_FILE)
  message(FATAL_ERROR "The package needs the help file: install chmcmd (fp-utils) and iconv")
endif()
install(FILES ${TAVRELIN_HELP_FILE} DESTINATION .)

# Names in code page 936 with the Info-ZIP Unicode Path field rather than
# UTF-8 with the language-encoding flag, which Explorer on Windows 7 ignores:
# see ZipNamesForExplorer.py.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(CPACK_ZIP_NAMES_PYTHON ${Python3_EXECUTABLE})
set(CPACK_ZIP_NAMES_SCRIPT ${PROJECT_SOURCE_DIR}/cmake/ZipNamesForExplorer.py)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/ZipNamesForExplorer.cmake)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tavrelin)
set(CPACK_PACKAGE_VENDOR Tavrelin)
set(CPACK_PACKAGE_FILE_NAME "Tavrelin-${PROJECT_VERSION}-win64")
set(CPACK_STRIP_FILES ON)
include(CPack)
