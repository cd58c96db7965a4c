# Installing (`cmake --install`, with a prefix or DESTDIR) and the Debian package
# (`cpack -G DEB`, run by `make package`). Everything the installed program needs
# besides its executable is made here.
set(VESTRAL_MAINTAINER "VESTRAL maintainers <maintainers@vestral.example>"
    CACHE STRING "The package's maintainer, as Name <address>")
# The date of this version, for the manual page, the metadata and the changelog.
set(VESTRAL_RELEASE_DATE 2026-12-07)
set(VESTRAL_RELEASE_DATE_RFC "Mon, 07 Dec 2026 00:00:00 +0000")

# An installed copy recognises itself by the default database it ships, found
# relative to its executable so that a prefix or DESTDIR keeps working.
file(RELATIVE_PATH VESTRAL_SHIPPED_DATABASE ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/vestral/vestral.DAT)
set_property(SOURCE platform/program_paths.cpp APPEND PROPERTY
             COMPILE_DEFINITIONS VESTRAL_SHIPPED_DATABASE="${VESTRAL_SHIPPED_DATABASE}")

# The component id of the desktop entry, the metadata and the icon: reverse-DNS under
# vestral.example, the domain of the maintainers' address above. The project owns no
# domain, and a name under .example (reserved, RFC 2606) claims none that others own.
set(VESTRAL_APP_ID example.vestral.vestral)

set(pkg ${CMAKE_BINARY_DIR}/packaging)
configure_file(packaging/vestral.1.in ${pkg}/vestral.1 @ONLY)
configure_file(packaging/${VESTRAL_APP_ID}.metainfo.xml.in ${pkg}/${VESTRAL_APP_ID}.metainfo.xml @ONLY)
configure_file(packaging/changelog.in ${pkg}/changelog @ONLY)

# Debian wants both compressed without a time stamp, so the package is reproducible.
add_custom_command(OUTPUT ${pkg}/vestral.1.gz ${pkg}/changelog.gz
  COMMAND gzip -9n -c ${pkg}/vestral.1 > ${pkg}/vestral.1.gz
  COMMAND gzip -9n -c ${pkg}/changelog > ${pkg}/changelog.gz
  DEPENDS ${pkg}/vestral.1 ${pkg}/changelog VERBATIM)

# The icon, drawn by the program's own code; the folder is made anew, so an icon of an
# earlier name never reaches the package.
add_executable(vestral_icons tools/icons.cpp)
target_link_libraries(vestral_icons PRIVATE vestral_gui)
add_custom_command(OUTPUT ${pkg}/icons/256x256/apps/${VESTRAL_APP_ID}.png
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${pkg}/icons
  COMMAND vestral_icons ${pkg}/icons ${VESTRAL_APP_ID}
  DEPENDS vestral_icons VERBATIM)
add_custom_target(package_files ALL
  DEPENDS ${pkg}/vestral.1.gz ${pkg}/changelog.gz ${pkg}/icons/256x256/apps/${VESTRAL_APP_ID}.png)

# ---- install rules --------------------------------------------------------------
install(TARGETS vestral RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vestral_windows LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/vestral)
# Both default databases: a new user starts from the one of their language.
install(FILES ${VESTRAL_CODE_SET_DATABASE} DESTINATION ${CMAKE_INSTALL_DATADIR}/vestral
        RENAME vestral.DAT)
install(FILES ${VESTRAL_CODE_SET_DATABASE_RU} DESTINATION ${CMAKE_INSTALL_DATADIR}/vestral
        RENAME vestral-ru.DAT)
install(FILES packaging/${VESTRAL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pkg}/${VESTRAL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${pkg}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${pkg}/vestral.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/vestral.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME vestral)
install(FILES packaging/copyright ${pkg}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ---- the Debian package ---------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vestral)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VESTRAL_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "look up vehicle diagnostic trouble codes")
# Wrapped for an 80-column terminal; an empty line separates paragraphs.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "VESTRAL shows what a vehicle diagnostic trouble code means. Type the four\n"
  "hex digits of a code, or its letter form such as P0100, and it shows the\n"
  "system the code belongs to, its description and a second text.\n"
  "\n"
  "It ships a database of the generic codes in English and Russian, one with\n"
  "the English titles first and one with the Russian texts first. Its editor\n"
  "builds a database from a text file, checks it for damaged entries, writes\n"
  "entries back out as text and merges a second database in.\n"
  "\n"
  "Every operation also runs from the command line, without a display:\n"
  "vestral lookup, create, generate, check, collect, sync, search and lint.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Folders in the package as Debian has them, whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
