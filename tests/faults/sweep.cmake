# The fault sweep (Linux, not under the sanitizers, whose run-time must come
# first among preloaded libraries): a file shim for LD_PRELOAD, a host program
# that exports under it, and the sweep that drives them. Run by scripts/test.sh
# (stage "fault sweep"), not by ctest: it takes minutes.
if(WIN32 OR TARVISCO_SANITIZE)
  return()
endif()
find_package(Threads REQUIRED)
add_library(fi_shim SHARED faults/fi_shim.c)
target_compile_options(fi_shim PRIVATE -U_FORTIFY_SOURCE)
target_link_libraries(fi_shim PRIVATE ${CMAKE_DL_LIBS})

add_executable(sweep_export faults/sweep_export.cpp)
target_link_libraries(sweep_export PRIVATE tarvisco_fakes)

add_executable(fault_sweep faults/sweep_main.cpp faults/sweep_point.cpp)
target_link_libraries(fault_sweep PRIVATE tarvisco_tools_common Threads::Threads)
target_include_directories(fault_sweep PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(fault_sweep PRIVATE
  SWEEP_EXPORT="$<TARGET_FILE:sweep_export>"
  SWEEP_SHIM="$<TARGET_FILE:fi_shim>"
  SWEEP_SM_ETH="$<TARGET_FILE:sm_eth>"
  SWEEP_SCALE_SIM="$<TARGET_FILE:scale_sim>"
  SWEEP_GOODS="${CMAKE_CURRENT_SOURCE_DIR}/data/e2e/kasa.exp")
add_dependencies(fault_sweep sweep_export fi_shim sm_eth scale_sim)
# The file-only sweep takes seconds: it runs with the other tests too.
add_test(NAME fault_sweep_file COMMAND fault_sweep file)
set_tests_properties(fault_sweep_file PROPERTIES LABELS faults TIMEOUT 300)
