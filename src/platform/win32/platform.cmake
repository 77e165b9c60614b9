# Windows platform layer: the VAT dialog window is plain Win32 (user32, gdi32;
# comctl32 for the common controls); with TARVISCO_GUI off a stub answers
# "cancel".
target_sources(tarvisco_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dir_watch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dirs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ftp_wininet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/locale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui.cpp)
target_link_libraries(tarvisco_core PUBLIC shlwapi comctl32 gdi32 user32 advapi32 shell32)
if(TARVISCO_GUI)
  target_sources(tarvisco_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/vat_window_win32.cpp)
  set_property(GLOBAL PROPERTY TARVISCO_VAT_WINDOW win32)
else()
  target_sources(tarvisco_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../vat_window_stub.cpp)
  set_property(GLOBAL PROPERTY TARVISCO_VAT_WINDOW stub)
  message(STATUS "VAT dialog: TARVISCO_GUI=OFF, the dialog always answers cancel")
endif()

# FTP transfer: WinINet (and version.dll for its version, ws2_32 to resolve
# the server's address), system DLLs.
target_link_libraries(tarvisco_core PUBLIC wininet version ws2_32)
