# Release files through CPack (scripts/package.sh drives it): a tarball and a
# Debian package from the Linux build; from the Windows builds one zip with
# both DLLs and their programs in x86/ and x64/ (package.sh lists the two
# build trees to cpack), the header, the READMEs and the translation file.
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "${TARVISCO_VENDOR}")
set(CPACK_PACKAGE_CONTACT "${TARVISCO_VENDOR}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${TARVISCO_SUMMARY}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "${TARVISCO_SUMMARY}.\nThe driver library, its C header, the command-line host krvhost, the\nSM_eth stand-in and the scale simulator.")
endif()
include(CPack)
