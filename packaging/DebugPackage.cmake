# Run by cpack after it builds the Debian packages: mends the debug-symbols package that CPack 3.25
# writes, whose md5sums name the staging folder's absolute paths and which has no documentation,
# so that it installs cleanly and passes lintian as Debian's own -dbgsym packages do.
foreach(ddeb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT ddeb MATCHES "-dbgsym_[^/]*\\.ddeb$")
    continue()
  endif()
  set(tree ${CPACK_TOPLEVEL_DIRECTORY}/dbgsym-mended)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${ddeb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  file(GLOB_RECURSE debug_files RELATIVE ${tree} ${tree}/usr/*)
  set(sums "")
  foreach(file IN LISTS debug_files)
    file(MD5 ${tree}/${file} sum)
    string(APPEND sums "${sum}  ${file}\n")
    # Debug information is read by debuggers, never run.
    file(CHMOD ${tree}/${file} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endforeach()
  file(WRITE ${tree}/DEBIAN/md5sums "${sums}")
  # The package depends on the exact version of the one it belongs to, so it shares that one's
  # copyright and changelog through a link, as debhelper's dbgsym packages do.
  file(MAKE_DIRECTORY ${tree}/usr/share/doc)
  file(CREATE_LINK ${CPACK_PACKAGE_NAME} ${tree}/usr/share/doc/${CPACK_PACKAGE_NAME}-dbgsym SYMBOLIC)
  execute_process(COMMAND dpkg-deb --root-owner-group --build ${tree} ${ddeb}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
