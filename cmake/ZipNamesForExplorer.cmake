# Run by CPack once the zip is made: stores its names for Explorer
# (ZipNamesForExplorer.py).
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND ${CPACK_ZIP_NAMES_PYTHON} ${CPACK_ZIP_NAMES_SCRIPT} ${package}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Could not store the names of ${package} in code page 936")
  endif()
endforeach()
