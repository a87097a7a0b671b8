# The Windows side of packaging: the program's icon, version information and
# manifest in every executable, and the three packages: a zip, the Spanish
# setup program built with NSIS's makensis and an MSI package built with wixl.

enable_language(RC)

set(TMQ_PACKAGING_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TMQ_ICON ${CMAKE_CURRENT_LIST_DIR}/../icon/transmirtavquelmar.ico)
get_filename_component(TMQ_ICON "${TMQ_ICON}" ABSOLUTE)
get_filename_component(TMQ_ICON_DIR "${TMQ_ICON}" DIRECTORY)
# Windows wants four numbers where the project names two.
set(TMQ_VERSION_PATCH_OR_ZERO "${PROJECT_VERSION_PATCH}")
if(TMQ_VERSION_PATCH_OR_ZERO STREQUAL "")
  set(TMQ_VERSION_PATCH_OR_ZERO 0)
endif()

# Compiles the icon, the version information and the manifest into the window
# program, the command line and the timetable page's launcher, whichever this
# build defines.
function(tmq_add_windows_resources)
  foreach(pair "TransMirtavQuelmar;window.rc" "transmirtavquelmar-cli;cli.rc"
               "transmirtavquelmar-horario;launcher.rc")
    list(GET pair 0 target)
    list(GET pair 1 rc)
    if(NOT TARGET ${target})
      continue()
    endif()
    set(rc ${TMQ_PACKAGING_WINDOWS_DIR}/${rc})
    set_source_files_properties(${rc} PROPERTIES
      COMPILE_DEFINITIONS "TMQ_VERSION_MAJOR=${PROJECT_VERSION_MAJOR};TMQ_VERSION_MINOR=${PROJECT_VERSION_MINOR};TMQ_VERSION_PATCH=${TMQ_VERSION_PATCH_OR_ZERO}"
      INCLUDE_DIRECTORIES "${TMQ_PACKAGING_WINDOWS_DIR};${TMQ_ICON_DIR}"
      OBJECT_DEPENDS "${TMQ_PACKAGING_WINDOWS_DIR}/program.rc;${TMQ_PACKAGING_WINDOWS_DIR}/program.manifest;${TMQ_ICON}")
    target_sources(${target} PRIVATE ${rc})
  endforeach()
endfunction()

# The files every Windows package holds, in the folder a user sees: the
# programs (by target), the Spanish readme and the third-party notices.
set(TMQ_WINDOWS_PROGRAMS TransMirtavQuelmar transmirtavquelmar-cli transmirtavquelmar-horario)
set(TMQ_WINDOWS_NOTICES AVISOS-TERCEROS.txt)

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/SourceDateEpoch.cmake)

# Adds, for OUTPUT_DIR:
#   programa/          the files to ship, with fixed dates and permissions
#   windows_zip        TransMirtavQuelmar-<version>-windows.zip
#   installer          TransMirtavQuelmar-<version>-setup.exe (NSIS)
#   msi                TransMirtavQuelmar-<version>.msi (wixl)
#   windows_packages   all three, and SHA256SUMS of them and of the programs
# README is installed under its own name with Windows line ends, so that
# Notepad shows it right. Every file gets the date of the last commit, so
# that the same commit gives the same packages.
function(tmq_add_windows_packages readme output_dir)
  foreach(program IN LISTS TMQ_WINDOWS_PROGRAMS)
    if(NOT TARGET ${program})
      return()
    endif()
  endforeach()
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  find_program(TMQ_ZIP zip REQUIRED)
  find_program(TMQ_MAKENSIS makensis)
  find_program(TMQ_WIXL wixl)

  tmq_source_date_epoch(${PROJECT_SOURCE_DIR} epoch)
  # Rewritten only when the date changes, so that the packages follow it.
  set(epoch_file ${CMAKE_CURRENT_BINARY_DIR}/source-date-epoch)
  file(CONFIGURE OUTPUT ${epoch_file} CONTENT "${epoch}\n")

  get_filename_component(readme_name "${readme}" NAME)
  set(installed_readme ${CMAKE_CURRENT_BINARY_DIR}/installer/${readme_name})
  configure_file(${readme} ${installed_readme} @ONLY NEWLINE_STYLE CRLF)

  set(notices ${CMAKE_CURRENT_BINARY_DIR}/installer/${TMQ_WINDOWS_NOTICES})
  set(notices_script ${TMQ_PACKAGING_WINDOWS_DIR}/third_party_notices.py)
  add_custom_command(OUTPUT ${notices}
    COMMAND ${Python3_EXECUTABLE} ${notices_script} ${TMQ_WINDOWS_DEPS} ${notices}
    DEPENDS ${notices_script} ${LIBXML2_LIBRARY} ${SHAPELIB_LIBRARY}
    COMMENT "Avisos de terceros ${TMQ_WINDOWS_NOTICES}"
    VERBATIM)

  set(folder ${output_dir}/programa)
  set(sources ${installed_readme} ${notices})
  set(shipped ${folder}/${readme_name} ${folder}/${TMQ_WINDOWS_NOTICES})
  set(names ${readme_name} ${TMQ_WINDOWS_NOTICES})
  foreach(program IN LISTS TMQ_WINDOWS_PROGRAMS)
    list(APPEND sources $<TARGET_FILE:${program}>)
    list(APPEND shipped ${folder}/${program}.exe)
    list(APPEND names ${program}.exe)
  endforeach()
  list(SORT names)
  # A stamp stands for the files: the build would date outputs anew.
  set(stamp ${folder}.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${folder}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy ${sources} ${folder}
    COMMAND chmod 0644 ${shipped}
    COMMAND touch -d @${epoch} ${shipped}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    BYPRODUCTS ${shipped}
    DEPENDS ${sources} ${TMQ_WINDOWS_PROGRAMS} ${epoch_file}
    COMMENT "Archivos de los paquetes de Windows en ${folder}"
    VERBATIM)

  # The zip: entries in a fixed order, with their dates in UTC and without
  # the extra fields that hold owners and exact times.
  set(zip ${output_dir}/${PROJECT_NAME}-${PROJECT_VERSION}-windows.zip)
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${TMQ_ZIP} -q -X -D ${zip} ${names}
    DEPENDS ${stamp}
    WORKING_DIRECTORY ${folder}
    COMMENT "Zip ${PROJECT_NAME}-${PROJECT_VERSION}-windows.zip"
    VERBATIM)
  add_custom_target(windows_zip DEPENDS ${zip})
  set(packages ${zip})

  if(TMQ_MAKENSIS)
    set(setup ${output_dir}/${PROJECT_NAME}-${PROJECT_VERSION}-setup.exe)
    set(script ${TMQ_PACKAGING_WINDOWS_DIR}/installer.nsi)
    # The finish page's picture goes into the setup as a file, with its date:
    # the last commit's too, not the checkout's.
    set(side_bitmap ${CMAKE_CURRENT_BINARY_DIR}/installer/side.bmp)
    add_custom_command(OUTPUT ${side_bitmap}
      COMMAND ${CMAKE_COMMAND} -E copy ${TMQ_PACKAGING_WINDOWS_DIR}/side.bmp ${side_bitmap}
      COMMAND touch -d @${epoch} ${side_bitmap}
      DEPENDS ${TMQ_PACKAGING_WINDOWS_DIR}/side.bmp ${epoch_file}
      VERBATIM)
    add_custom_command(OUTPUT ${setup}
      COMMAND ${TMQ_MAKENSIS} -WX -V2 -INPUTCHARSET UTF8
              -DVERSION=${PROJECT_VERSION}
              -DVERSION4=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${TMQ_VERSION_PATCH_OR_ZERO}.0
              -DWINDOW_EXE=${folder}/TransMirtavQuelmar.exe
              -DCLI_EXE=${folder}/transmirtavquelmar-cli.exe
              -DLAUNCHER_EXE=${folder}/transmirtavquelmar-horario.exe
              -DREADME=${folder}/${readme_name}
              -DREADME_NAME=${readme_name}
              -DNOTICES=${folder}/${TMQ_WINDOWS_NOTICES}
              -DNOTICES_NAME=${TMQ_WINDOWS_NOTICES}
              -DICON=${TMQ_ICON}
              -DSIDE_BITMAP=${side_bitmap}
              -DOUTFILE=${setup}
              ${script}
      DEPENDS ${script} ${TMQ_ICON} ${side_bitmap} ${stamp}
      COMMENT "Instalador ${PROJECT_NAME}-${PROJECT_VERSION}-setup.exe"
      VERBATIM)
    add_custom_target(installer DEPENDS ${setup})
    list(APPEND packages ${setup})
  else()
    message(WARNING "makensis (paquete nsis) no está instalado: no se construirá el instalador")
  endif()

  if(TMQ_WIXL)
    set(msi ${output_dir}/${PROJECT_NAME}-${PROJECT_VERSION}.msi)
    set(wxs ${TMQ_PACKAGING_WINDOWS_DIR}/installer.wxs)
    set(msi_script ${TMQ_PACKAGING_WINDOWS_DIR}/build_msi.py)
    add_custom_command(OUTPUT ${msi}
      COMMAND ${Python3_EXECUTABLE} ${msi_script} ${wxs}
              ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${TMQ_VERSION_PATCH_OR_ZERO}
              ${folder} ${TMQ_ICON} ${epoch} ${msi}
      DEPENDS ${wxs} ${msi_script} ${TMQ_ICON} ${stamp}
      COMMENT "Paquete MSI ${PROJECT_NAME}-${PROJECT_VERSION}.msi"
      VERBATIM)
    add_custom_target(msi DEPENDS ${msi})
    list(APPEND packages ${msi})
  else()
    message(WARNING "wixl (paquete wixl) no está instalado: no se construirá el paquete MSI")
  endif()

  # The sums of what a user downloads: the programs and the packages.
  set(sums ${output_dir}/SHA256SUMS)
  set(summed)
  foreach(file IN LISTS TMQ_WINDOWS_PROGRAMS packages)
    if(TARGET ${file})
      list(APPEND summed $<TARGET_FILE_NAME:${file}>)
    else()
      file(RELATIVE_PATH relative ${output_dir} ${file})
      list(APPEND summed ${relative})
    endif()
  endforeach()
  add_custom_command(OUTPUT ${sums}
    COMMAND sh -c "sha256sum \"$@\" > SHA256SUMS.part" sh ${summed}
    COMMAND ${CMAKE_COMMAND} -E rename SHA256SUMS.part SHA256SUMS
    DEPENDS ${TMQ_WINDOWS_PROGRAMS} ${packages}
    WORKING_DIRECTORY ${output_dir}
    COMMENT "SHA256SUMS"
    VERBATIM)
  add_custom_target(windows_packages DEPENDS ${sums})
endfunction()
