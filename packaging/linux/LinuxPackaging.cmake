# Installing on Linux: both programs, the desktop entry, the AppStream
# metadata, the icon in the sizes the desktop looks for, the manual pages,
# the copyright file and the changelog; and the Debian package that
# `make package` builds from them with CPack.

include(GNUInstallDirs)

set(TMQ_PACKAGING_LINUX_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TMQ_ICON_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/../icon)
set(TMQ_APPSTREAM_ID invalid.example.transmirtavquelmar)
set(TMQ_PACKAGE_NAME transmirtavquelmar)
set(TMQ_PACKAGE_CONTACT "TransMirtavQuelmar <transmirtavquelmar@example.invalid>")
# Directories as Debian has them, whatever the umask of the one who builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

install(TARGETS transmirtavquelmar-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET TransMirtavQuelmar)
  # The window's title comes from this file name, so it keeps its capitals.
  install(TARGETS TransMirtavQuelmar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The desktop entry's action "Ver horario de Mirtavel".
  install(TARGETS transmirtavquelmar-horario RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TMQ_PACKAGING_LINUX_DIR}/transmirtavquelmar.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${TMQ_ICON_SOURCE_DIR}/transmirtavquelmar.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${TMQ_ICON_SOURCE_DIR}/transmirtavquelmar-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME transmirtavquelmar.png)
  endforeach()
  # What software centres show, with one release per version of the notes.
  set(TMQ_METAINFO ${CMAKE_CURRENT_BINARY_DIR}/${TMQ_APPSTREAM_ID}.metainfo.xml)
  add_custom_command(
    OUTPUT ${TMQ_METAINFO}
    COMMAND ${Python3_EXECUTABLE} ${TMQ_PACKAGING_LINUX_DIR}/release_notes.py metainfo
            ${PROJECT_SOURCE_DIR}/NOVEDADES.md
            ${TMQ_PACKAGING_LINUX_DIR}/${TMQ_APPSTREAM_ID}.metainfo.xml.in ${TMQ_METAINFO}
    DEPENDS ${TMQ_PACKAGING_LINUX_DIR}/release_notes.py ${PROJECT_SOURCE_DIR}/NOVEDADES.md
            ${TMQ_PACKAGING_LINUX_DIR}/${TMQ_APPSTREAM_ID}.metainfo.xml.in
    VERBATIM)
  add_custom_target(metainfo ALL DEPENDS ${TMQ_METAINFO})
  install(FILES ${TMQ_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# Manual pages are installed compressed, as Debian's man expects them.
set(TMQ_MAN_PAGES transmirtavquelmar-cli)
if(TARGET TransMirtavQuelmar)
  list(APPEND TMQ_MAN_PAGES TransMirtavQuelmar transmirtavquelmar-horario)
endif()
foreach(page IN LISTS TMQ_MAN_PAGES)
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${page}.1.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND gzip -9 -n -c ${TMQ_PACKAGING_LINUX_DIR}/${page}.1 > ${compressed}
    DEPENDS ${TMQ_PACKAGING_LINUX_DIR}/${page}.1
    VERBATIM)
  add_custom_target(man_page_${page} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The copyright file, and the changelog made from the release notes; both
# where Debian keeps them, under the package's own name.
set(TMQ_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${TMQ_PACKAGE_NAME})
set(TMQ_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/changelog)
add_custom_command(
  OUTPUT ${TMQ_CHANGELOG}.gz
  COMMAND ${Python3_EXECUTABLE} ${TMQ_PACKAGING_LINUX_DIR}/release_notes.py changelog
          ${PROJECT_SOURCE_DIR}/NOVEDADES.md ${TMQ_PACKAGE_NAME} ${TMQ_PACKAGE_CONTACT} ${TMQ_CHANGELOG}
  COMMAND gzip -9 -n -f ${TMQ_CHANGELOG}
  DEPENDS ${TMQ_PACKAGING_LINUX_DIR}/release_notes.py ${PROJECT_SOURCE_DIR}/NOVEDADES.md
  VERBATIM)
add_custom_target(changelog ALL DEPENDS ${TMQ_CHANGELOG}.gz)
install(FILES ${TMQ_CHANGELOG}.gz ${TMQ_PACKAGING_LINUX_DIR}/copyright DESTINATION ${TMQ_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TMQ_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "TransMirtavQuelmar")
set(CPACK_PACKAGE_CONTACT ${TMQ_PACKAGE_CONTACT})
# One line, under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Conversor de datos entre Quelmar y el programa de horarios Mirtavel")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Exporta los catálogos de un documento de Quelmar (materias, profesores, aulas,
grupos, asignaturas y tramos) a las tablas dBASE de la carpeta de trabajo de
Mirtavel, e importa el horario que Mirtavel deja en SOLUC como documento de
resultado para Quelmar. Una ventana y la orden transmirtavquelmar-cli.")
# The package's version names the system it was built on (2.3~deb12,
# 2.3~deb13): each depends on that release's libraries, and the file name
# says which system it is for.
if(EXISTS /etc/os-release)
  file(STRINGS /etc/os-release TMQ_OS_FIELDS REGEX "^(ID|VERSION_ID)=")
  string(REGEX REPLACE ".*(^|;)ID=\"?([a-z]+).*" "\\2" TMQ_OS_ID "${TMQ_OS_FIELDS}")
  string(REGEX REPLACE ".*VERSION_ID=\"?([0-9.]+).*" "\\1" TMQ_OS_VERSION "${TMQ_OS_FIELDS}")
  if(TMQ_OS_ID STREQUAL "debian")
    string(REGEX REPLACE "\\..*" "" TMQ_OS_VERSION "${TMQ_OS_VERSION}")
    set(TMQ_OS_ID deb)
  endif()
  if(TMQ_OS_ID MATCHES "^[a-z]+$" AND TMQ_OS_VERSION MATCHES "^[0-9.]+$")
    set(CPACK_DEBIAN_PACKAGE_VERSION "${PROJECT_VERSION}~${TMQ_OS_ID}${TMQ_OS_VERSION}")
  endif()
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's faces and Qt's Spanish texts are read at run time, not linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
# xdg-open shows the timetable page in the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, qt6-translations-l10n, xdg-utils")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# cpack reads this when it packs: the files' dates and the archives'
# headers come from the last commit, so the same commit gives the same .deb.
set(CPACK_TMQ_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${TMQ_PACKAGING_LINUX_DIR}/CPackSourceDate.cmake)
include(CPack)
