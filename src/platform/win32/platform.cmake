# Windows platform layer: the VAT dialog window is plain Win32 (user32, gdi32;
# comctl32 for the common controls); with TARVISCO_GUI off a stub answers
# "cancel".
set(_vat_win32 ${CMAKE_CURRENT_LIST_DIR}/vat_window_win32.cpp)
get_filename_component(_vat_stub ${CMAKE_CURRENT_LIST_DIR}/../vat_window_stub.cpp ABSOLUTE)

get_target_property(_core_sources tarvisco_core SOURCES)
if(TARVISCO_GUI)
  list(REMOVE_ITEM _core_sources ${_vat_stub})
  set_property(GLOBAL PROPERTY TARVISCO_VAT_WINDOW win32)
  target_link_libraries(tarvisco_core PUBLIC comctl32 gdi32 user32)
else()
  list(REMOVE_ITEM _core_sources ${_vat_win32})
  set_property(GLOBAL PROPERTY TARVISCO_VAT_WINDOW stub)
  message(STATUS "VAT dialog: TARVISCO_GUI=OFF, the dialog always answers cancel")
endif()
set_property(TARGET tarvisco_core PROPERTY SOURCES ${_core_sources})

# FTP transfer: WinINet (and version.dll for its version), system DLLs.
target_link_libraries(tarvisco_core PUBLIC wininet version)
