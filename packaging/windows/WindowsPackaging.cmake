# The Windows side of packaging: the program's icon, version information and
# manifest in both executables, and the Spanish setup program built with
# NSIS's makensis.

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

# Adds the target `installer`, which writes
# TransMirtavQuelmar-<version>-setup.exe into OUTPUT_DIR from the two
# executables and the Spanish readme README, installed under its own name
# with Windows line ends so that Notepad shows it right.
function(tmq_add_windows_installer readme output_dir)
  if(NOT TARGET TransMirtavQuelmar OR NOT TARGET transmirtavquelmar-cli)
    return()
  endif()
  find_program(TMQ_MAKENSIS makensis)
  if(NOT TMQ_MAKENSIS)
    message(WARNING "makensis (paquete nsis) no está instalado: no se construirá el instalador")
    return()
  endif()
  get_filename_component(readme_name "${readme}" NAME)
  set(installed_readme ${CMAKE_CURRENT_BINARY_DIR}/installer/${readme_name})
  configure_file(${readme} ${installed_readme} @ONLY NEWLINE_STYLE CRLF)
  set(setup ${output_dir}/${PROJECT_NAME}-${PROJECT_VERSION}-setup.exe)
  set(script ${TMQ_PACKAGING_WINDOWS_DIR}/installer.nsi)
  set(side_bitmap ${TMQ_PACKAGING_WINDOWS_DIR}/side.bmp)
  add_custom_command(OUTPUT ${setup}
    COMMAND ${TMQ_MAKENSIS} -WX -V2 -INPUTCHARSET UTF8
            -DVERSION=${PROJECT_VERSION}
            -DVERSION4=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${TMQ_VERSION_PATCH_OR_ZERO}.0
            -DWINDOW_EXE=$<TARGET_FILE:TransMirtavQuelmar>
            -DCLI_EXE=$<TARGET_FILE:transmirtavquelmar-cli>
            -DLAUNCHER_EXE=$<TARGET_FILE:transmirtavquelmar-horario>
            -DREADME=${installed_readme}
            -DREADME_NAME=${readme_name}
            -DICON=${TMQ_ICON}
            -DSIDE_BITMAP=${side_bitmap}
            -DOUTFILE=${setup}
            ${script}
    DEPENDS ${script} ${TMQ_ICON} ${side_bitmap} ${installed_readme}
            TransMirtavQuelmar transmirtavquelmar-cli transmirtavquelmar-horario
    COMMENT "Instalador ${PROJECT_NAME}-${PROJECT_VERSION}-setup.exe"
    VERBATIM)
  add_custom_target(installer DEPENDS ${setup})
endfunction()
