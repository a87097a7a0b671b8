# The parts of the build that differ when cross-building for Windows (see
# cmake/mingw-w64.cmake and scripts/windows-deps.sh).

add_compile_definitions(UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601)
enable_language(RC)
# No link time in the executables' header: the same sources give the same bytes.
add_link_options(-Wl,--no-insert-timestamp)

find_path(LIBXML2_INCLUDE_DIR libxml/parser.h PATH_SUFFIXES libxml2 REQUIRED)
find_library(LIBXML2_LIBRARY NAMES libxml2.a xml2 REQUIRED)
add_library(LibXml2::LibXml2 STATIC IMPORTED)
set_target_properties(LibXml2::LibXml2 PROPERTIES
  IMPORTED_LOCATION "${LIBXML2_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${LIBXML2_INCLUDE_DIR}"
  INTERFACE_COMPILE_DEFINITIONS LIBXML_STATIC)

find_path(SHAPELIB_INCLUDE_DIR shapefil.h REQUIRED)
find_library(SHAPELIB_LIBRARY NAMES libshp.a shp REQUIRED)
add_library(tmq_shapelib STATIC IMPORTED)
set_target_properties(tmq_shapelib PROPERTIES
  IMPORTED_LOCATION "${SHAPELIB_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${SHAPELIB_INCLUDE_DIR}"
  # shapelib's table code is built alone; its default hooks are ours.
  INTERFACE_COMPILE_DEFINITIONS TMQ_SHAPELIB_DEFAULT_HOOKS)
set(TMQ_SHAPELIB tmq_shapelib)

# The programs: the command line takes its arguments as UTF-16 (wmain); the
# window is built from win32/ (a .rc file there is compiled in too), with
# wWinMain as its entry point.
function(tmq_add_windows_programs)
  target_link_options(transmirtavquelmar-cli PRIVATE -municode)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/win32/*.cpp
                                      ${PROJECT_SOURCE_DIR}/win32/*.rc)
  if(sources)
    # What the window and the launcher share: the dpi, the message boxes.
    set(shared Dpi.cpp MessageBoxes.cpp)
    list(TRANSFORM shared PREPEND ${PROJECT_SOURCE_DIR}/win32/)
    list(REMOVE_ITEM sources ${shared})
    add_library(tmq_win32 STATIC ${shared})
    target_include_directories(tmq_win32 PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(tmq_win32 PUBLIC tmq_window tmq_base user32 gdi32)

    add_executable(TransMirtavQuelmar WIN32 ${sources})
    target_link_libraries(TransMirtavQuelmar PRIVATE tmq_win32
      tmq_frame tmq_window tmq_export tmq_import tmq_base comctl32 comdlg32 msimg32 gdi32 user32 ole32
      uuid)
    target_link_options(TransMirtavQuelmar PRIVATE -municode)
    # The Start menu's "Ver horario de Mirtavel": a window-subsystem program,
    # so that no console comes up, sharing the window's error box.
    add_executable(transmirtavquelmar-horario WIN32 ${PROJECT_SOURCE_DIR}/win32/launcher/main.cpp)
    target_link_libraries(transmirtavquelmar-horario PRIVATE tmq_win32 tmq_page tmq_frame tmq_base)
    target_link_options(transmirtavquelmar-horario PRIVATE -municode)
  endif()
endfunction()
