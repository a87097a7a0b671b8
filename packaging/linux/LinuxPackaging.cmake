# Installing on Linux: both programs, the desktop entry, the icon in the
# sizes the desktop looks for, the command line's manual page; and the
# Debian package that `make package` builds from them with CPack.

include(GNUInstallDirs)

set(TMQ_PACKAGING_LINUX_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TMQ_ICON_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/../icon)

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
endif()

# Manual pages are installed compressed, as Debian's man expects them.
set(TMQ_MAN_PAGE ${CMAKE_CURRENT_BINARY_DIR}/transmirtavquelmar-cli.1.gz)
add_custom_command(
  OUTPUT ${TMQ_MAN_PAGE}
  COMMAND gzip -9 -n -c ${TMQ_PACKAGING_LINUX_DIR}/transmirtavquelmar-cli.1 > ${TMQ_MAN_PAGE}
  DEPENDS ${TMQ_PACKAGING_LINUX_DIR}/transmirtavquelmar-cli.1
  VERBATIM)
add_custom_target(man_page ALL DEPENDS ${TMQ_MAN_PAGE})
install(FILES ${TMQ_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME transmirtavquelmar)
set(CPACK_PACKAGE_VENDOR "TransMirtavQuelmar")
set(CPACK_PACKAGE_CONTACT "TransMirtavQuelmar <transmirtavquelmar@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Conversor de datos entre Quelmar (XML) y el programa de horarios Mirtavel (dBASE)")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Exporta los catálogos de un documento de Quelmar (materias, profesores, aulas,
grupos, asignaturas y tramos) a las tablas dBASE de la carpeta de trabajo de
Mirtavel, e importa el horario que Mirtavel deja en SOLUC como documento de
resultado para Quelmar. Una ventana y la orden transmirtavquelmar-cli.")
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
include(CPack)
