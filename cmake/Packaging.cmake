# Installation and the Debian package: the two programs in bin/, the
# shipped data in share/kroyna/, the desktop entry, the file types, the
# icon, the AppStream metainfo and the manual pages. "cpack -G DEB" in a
# build folder makes kroyna_<version>_<arch>.deb (scripts/package.sh).
include(GNUInstallDirs)

# The date of the version in project(VERSION): change both together.
set(KROYNA_RELEASE_DATE "2026-12-09")
set(KROYNA_RELEASE_DATE_RFC2822 "Wed, 09 Dec 2026 00:00:00 +0000")
set(KROYNA_PACKAGE_MAINTAINER "Kroyna developers <developers@kroyna.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(kroyna_packaging "${CMAKE_SOURCE_DIR}/packaging")
set(kroyna_generated "${CMAKE_BINARY_DIR}/packaging")

# Both programs print the version of project(VERSION) with --version.
target_compile_definitions(kroyna-cut PRIVATE KROYNA_VERSION="${PROJECT_VERSION}")
install(TARGETS kroyna-cut RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")

# Manual pages and the changelog, with the version filled in and gzipped
# the way Debian wants them (best compression, no name or time inside).
function(kroyna_gzipped source target)
  configure_file("${source}" "${kroyna_generated}/${target}" @ONLY)
  execute_process(COMMAND gzip -9 -n -c "${kroyna_generated}/${target}"
                  OUTPUT_FILE "${kroyna_generated}/${target}.gz" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip failed on ${kroyna_generated}/${target}")
  endif()
endfunction()
kroyna_gzipped("${kroyna_packaging}/man/kroyna-cut.1.in" kroyna-cut.1)
kroyna_gzipped("${kroyna_packaging}/changelog.in" changelog)
install(FILES "${kroyna_generated}/kroyna-cut.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${kroyna_packaging}/copyright" "${kroyna_generated}/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/kroyna")

if(KROYNA_GUI)
  kroyna_gzipped("${kroyna_packaging}/man/kroyna.1.in" kroyna.1)
  configure_file("${kroyna_packaging}/org.kroyna.Kroyna.metainfo.xml.in"
                 "${kroyna_generated}/org.kroyna.Kroyna.metainfo.xml" @ONLY)
  install(FILES "${kroyna_generated}/kroyna.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
  install(FILES "${kroyna_packaging}/org.kroyna.Kroyna.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  install(FILES "${kroyna_generated}/org.kroyna.Kroyna.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
  install(FILES "${kroyna_packaging}/kroyna-mime.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages"
          RENAME kroyna.xml)
  set(icons "${CMAKE_INSTALL_DATADIR}/icons/hicolor")
  install(FILES "${kroyna_packaging}/icons/kroyna.svg" DESTINATION "${icons}/scalable/apps")
  foreach(size 48 256)
    install(FILES "${kroyna_packaging}/icons/kroyna-${size}.png" DESTINATION "${icons}/${size}x${size}/apps"
            RENAME kroyna.png)
  endforeach()
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kroyna)
set(CPACK_PACKAGE_VENDOR "Kroyna developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plan the cutting of furniture parts out of sheet material")
set(CPACK_PACKAGE_DESCRIPTION
    "Kroyna plans the cutting of rectangular furniture parts out of chipboard,
fibreboard, plywood and other sheet material on a panel saw. It lays the
parts out on offcuts and standard sheets with guillotine cuts, a saw kerf
and trimmed sheet edges, and keeps the best of many layout variants.
.
Around the cutting it keeps parts databases, a warehouse of standard
sheets and offcuts, material and edge-banding catalogues and a base of
furniture models. Cutting maps are drawn to scale, saved, printed,
labelled and accepted into stock.
.
The package holds the program kroyna and kroyna-cut, which lays out a
cutting job given as JSON without a display.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KROYNA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The dependencies are those of the libraries the programs link, as
# dpkg-shlibdeps finds them (libzint for the barcodes of labels among them),
# and Qt's translations, which the program loads at start-up so that Qt's
# own dialogs speak Russian.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The tests and benchmarks install nothing; only the programs and their files
# go into the package.
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
