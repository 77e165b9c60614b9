# POSIX platform layer. The VAT dialog's window is a module of its own,
# libtarvisco_vatwindow.so, drawn with FLTK and loaded by the library only when
# the dialog opens: the library itself needs neither FLTK nor X11. Without
# FLTK (or with TARVISCO_GUI off) no module is built and the dialog answers
# "cancel" with a message.
target_sources(tarvisco_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dir_watch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dirs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftp_curl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/locale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vat_window_loader.cpp)
target_link_libraries(tarvisco_core PUBLIC ${CMAKE_DL_LIBS})

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

if(TARVISCO_HAVE_FLTK)
  add_library(tarvisco_vatwindow MODULE
    ${CMAKE_CURRENT_LIST_DIR}/vatwindow/vat_window_fltk.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../../support/cp1250.cpp)
  target_include_directories(tarvisco_vatwindow PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../..)
  target_compile_options(tarvisco_vatwindow PRIVATE ${_fltk_cxxflags})
  target_link_libraries(tarvisco_vatwindow PRIVATE ${_fltk_ldflags})
  if(NOT TARVISCO_FUZZ)  # clang's sanitizer runtimes live in the program only
    target_link_options(tarvisco_vatwindow PRIVATE -Wl,--no-undefined)
  endif()
  # Built with the library, beside it.
  add_dependencies(tarvisco_core tarvisco_vatwindow)
  set_property(GLOBAL PROPERTY TARVISCO_VAT_WINDOW fltk)
  message(STATUS "VAT dialog: FLTK module libtarvisco_vatwindow.so (${FLTK_CONFIG_EXECUTABLE})")
else()
  set_property(GLOBAL PROPERTY TARVISCO_VAT_WINDOW stub)
  message(STATUS "VAT dialog: no window toolkit (FLTK missing or TARVISCO_GUI=OFF), "
                 "no module built: the dialog answers cancel")
endif()
# FTP transfer: libcurl (the .so depends on it; every Linux host has it).
find_package(CURL REQUIRED)
target_link_libraries(tarvisco_core PUBLIC CURL::libcurl)
