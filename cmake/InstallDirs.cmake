# Where `cmake --install` puts things. On Linux the usual GNU layout; on
# Windows the library and the programs sit side by side at the top, as a host
# program expects its driver DLL and the DLL expects SM_eth.exe, and the
# translation file goes to lang/.
if(WIN32)
  set(CMAKE_INSTALL_BINDIR "." CACHE PATH "Programs and the DLL")
  set(CMAKE_INSTALL_LIBDIR "lib" CACHE PATH "Import library and CMake package")
  set(CMAKE_INSTALL_DOCDIR "." CACHE PATH "README and CHANGELOG")
endif()
include(GNUInstallDirs)
if(WIN32)
  set(TARVISCO_INSTALL_LANGDIR "lang")
else()
  set(TARVISCO_INSTALL_LANGDIR "${CMAKE_INSTALL_DATADIR}/${PROJECT_NAME}/lang")
endif()
if(WIN32)
  set(TARVISCO_INSTALL_MANUALDIR "docs")
else()
  set(TARVISCO_INSTALL_MANUALDIR "${CMAKE_INSTALL_DOCDIR}/manual")
endif()
set(TARVISCO_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/${PROJECT_NAME}")

# krvhost looks for the library this way from its own folder once installed.
file(RELATIVE_PATH TARVISCO_BIN_TO_LIB
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
if(WIN32 OR TARVISCO_BIN_TO_LIB STREQUAL "")
  set(TARVISCO_BIN_TO_LIB ".")
endif()
# ... and the translation file and its manual page this way.
file(RELATIVE_PATH TARVISCO_BIN_TO_LANG
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${TARVISCO_INSTALL_LANGDIR})
file(RELATIVE_PATH TARVISCO_BIN_TO_MAN
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_MANDIR}/man1)
if(WIN32)
  set(TARVISCO_BIN_TO_LANG "${TARVISCO_INSTALL_LANGDIR}")
  set(TARVISCO_BIN_TO_MAN "docs")
endif()
