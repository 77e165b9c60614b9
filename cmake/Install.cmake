# What `cmake --install` lays out, in four components (the Windows release
# zip takes the first from both architectures and the others once):
#   runtime  the library, krvhost, the SM_eth stand-in, the scale simulator
#   headers  krvdll.h
#   cmake    the find_package(tarvisco) files, tarvisco.pc, the import library
#   common   README, CHANGELOG, the tools' READMEs, the English translation
#            file, the manual (docs/)
include(CMakePackageConfigHelpers)

# tarvisco::tarvisco links the library; tarvisco::headers is the header alone,
# for a host that loads the library at run time as the back-office host does.
add_library(tarvisco_headers INTERFACE)
target_include_directories(tarvisco_headers INTERFACE
  "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>"
  "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
set_target_properties(tarvisco_headers PROPERTIES EXPORT_NAME headers)
target_link_libraries(tarvisco INTERFACE tarvisco_headers)

install(TARGETS tarvisco tarvisco_headers EXPORT tarvisco-targets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT runtime
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT cmake)
# The VAT dialog's window: the library looks for it beside itself.
if(TARGET tarvisco_vatwindow)
  install(TARGETS tarvisco_vatwindow
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/include/krvdll.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT headers)
install(TARGETS krvhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
if(WIN32)
  # Beside the DLL under the names the library and krvhost demo use.
  install(TARGETS sm_eth scale_sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
else()
  # In a shared bin/ the generic names could clash with other packages' (and
  # krvhost demo finds them under these names beside itself).
  install(PROGRAMS $<TARGET_FILE:sm_eth> DESTINATION ${CMAKE_INSTALL_BINDIR}
    RENAME tarvisco-sm-eth COMPONENT runtime)
  install(PROGRAMS $<TARGET_FILE:scale_sim> DESTINATION ${CMAKE_INSTALL_BINDIR}
    RENAME tarvisco-scale-sim COMPONENT runtime)
  # Stripped like the targets when the install strips (CPack does).
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    foreach(program tarvisco-sm-eth tarvisco-scale-sim)
      execute_process(COMMAND \"${CMAKE_STRIP}\"
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\")
    endforeach()
  endif()" COMPONENT runtime)
endif()

install(EXPORT tarvisco-targets NAMESPACE tarvisco::
  DESTINATION ${TARVISCO_INSTALL_CMAKEDIR} COMPONENT cmake)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/tarvisco-config.cmake.in
  ${PROJECT_BINARY_DIR}/tarvisco-config.cmake
  INSTALL_DESTINATION ${TARVISCO_INSTALL_CMAKEDIR}
  PATH_VARS TARVISCO_INSTALL_LANGDIR)
# 1.x hosts keep working with any later 1.x library.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tarvisco-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tarvisco-config.cmake
  ${PROJECT_BINARY_DIR}/tarvisco-config-version.cmake
  DESTINATION ${TARVISCO_INSTALL_CMAKEDIR} COMPONENT cmake)

# pkg-config: the prefix is found from the file's own place, so an unpacked
# release works wherever it lies.
file(RELATIVE_PATH TARVISCO_PC_TO_PREFIX
  ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" TARVISCO_PC_TO_PREFIX "${TARVISCO_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/tarvisco.pc.in ${PROJECT_BINARY_DIR}/tarvisco.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tarvisco.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT cmake)

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT common)
foreach(tool krvhost sm_eth scale_sim)
  install(FILES ${PROJECT_SOURCE_DIR}/tools/${tool}/README.md
    DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME README-${tool}.md COMPONENT common)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/lang/en.lang
  DESTINATION ${TARVISCO_INSTALL_LANGDIR} COMPONENT common)
# krvhost's manual page (share/man/man1); the manual itself lies in docs/.
if(NOT WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/krvhost.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT common)
endif()
# The operator's manual: its readable pages (the notes it is generated from
# stay in the tree).
if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/docs)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${TARVISCO_INSTALL_MANUALDIR}
    COMPONENT common FILES_MATCHING PATTERN "*.md" PATTERN "*.html" PATTERN "*.txt"
    PATTERN "*.pdf" PATTERN "*.png" PATTERN "*.svg" PATTERN "*.1" PATTERN "src" EXCLUDE)
endif()
