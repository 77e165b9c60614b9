# The version lives in project() alone; everything else derives from it:
# the shared object's soname, the Windows version resources, krvhost --version,
# the package config and the release file names.
set(TARVISCO_VENDOR "tarvisco project")
set(TARVISCO_SUMMARY "Goods export to DIGI SM label-printing scales for a back-office host")

# Gives a Windows target a version resource, so that the file's properties
# show what it is and which release it belongs to. Nothing elsewhere.
function(tarvisco_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  get_target_property(_type ${target} TYPE)
  get_target_property(_name ${target} OUTPUT_NAME)
  if(NOT _name)
    set(_name ${target})
  endif()
  if(_type STREQUAL "SHARED_LIBRARY")
    set(_rc_file_type VFT_DLL)
    set(_rc_file_name ${_name}.dll)
  else()
    set(_rc_file_type VFT_APP)
    set(_rc_file_name ${_name}.exe)
  endif()
  set(_rc_description "${description}")
  set(_rc_internal_name ${_name})
  set(_rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${_rc} @ONLY)
  target_sources(${target} PRIVATE ${_rc})
endfunction()
