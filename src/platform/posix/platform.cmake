# POSIX platform layer: the VAT dialog window is drawn with FLTK when it is
# available and TARVISCO_GUI is on; otherwise a stub answers "cancel".
set(_vat_fltk ${CMAKE_CURRENT_LIST_DIR}/vat_window_fltk.cpp)
get_filename_component(_vat_stub ${CMAKE_CURRENT_LIST_DIR}/../vat_window_stub.cpp ABSOLUTE)

set(TARVISCO_HAVE_FLTK OFF)
if(TARVISCO_GUI)
  find_program(FLTK_CONFIG_EXECUTABLE fltk-config)
  if(FLTK_CONFIG_EXECUTABLE)
    execute_process(COMMAND ${FLTK_CONFIG_EXECUTABLE} --cxxflags
                    OUTPUT_VARIABLE _fltk_cxxflags OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${FLTK_CONFIG_EXECUTABLE} --ldflags
                    OUTPUT_VARIABLE _fltk_ldflags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(_fltk_cxxflags UNIX_COMMAND "${_fltk_cxxflags}")
    separate_arguments(_fltk_ldflags UNIX_COMMAND "${_fltk_ldflags}")
    set(TARVISCO_HAVE_FLTK ON)
  endif()
endif()

get_target_property(_core_sources tarvisco_core SOURCES)
if(TARVISCO_HAVE_FLTK)
  list(REMOVE_ITEM _core_sources ${_vat_stub})
  # Only the window's file sees FLTK's headers and flags.
  set_source_files_properties(${_vat_fltk} TARGET_DIRECTORY tarvisco_core
                              PROPERTIES COMPILE_OPTIONS "${_fltk_cxxflags}")
  target_link_libraries(tarvisco_core PUBLIC ${_fltk_ldflags})
  set_property(GLOBAL PROPERTY TARVISCO_VAT_WINDOW fltk)
  message(STATUS "VAT dialog: FLTK (${FLTK_CONFIG_EXECUTABLE})")
else()
  list(REMOVE_ITEM _core_sources ${_vat_fltk})
  set_property(GLOBAL PROPERTY TARVISCO_VAT_WINDOW stub)
  message(STATUS "VAT dialog: no window toolkit (FLTK missing or TARVISCO_GUI=OFF), "
                 "the dialog always answers cancel")
endif()
set_property(TARGET tarvisco_core PROPERTY SOURCES ${_core_sources})

# FTP transfer: libcurl (the .so depends on it; every Linux host has it).
find_package(CURL REQUIRED)
target_link_libraries(tarvisco_core PUBLIC CURL::libcurl)
