# Run by cpack in its staging folder before it builds a Debian package: the manual pages compressed
# and the changelog added, as Debian's policy wants; a prefix install keeps plain pages.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(GLOB pages ${root}/share/man/man*/*.[1-9])
foreach(page IN LISTS pages)
  # -n: no name or time stamp in the gzip header, so the same pages give the same package.
  execute_process(COMMAND gzip -9nf ${page} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
# A package whose version has no Debian revision is native: its changelog is changelog.gz.
file(MAKE_DIRECTORY ${root}/share/doc/${CPACK_PACKAGE_NAME})
execute_process(COMMAND gzip -9nc ${CPACK_CORVINA_CHANGELOG}
                OUTPUT_FILE ${root}/share/doc/${CPACK_PACKAGE_NAME}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
