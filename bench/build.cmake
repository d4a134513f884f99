# Benchmarks: Win32 programs run under Wine by hand (scripts/wine-run), not
# part of ctest. The GUI ones need an X display.
if(WIN32)
  add_executable(vault_bench ${CMAKE_SOURCE_DIR}/bench/vault_bench.cpp)
  target_link_libraries(vault_bench PRIVATE velt_win psapi)
  add_executable(grid_bench ${CMAKE_SOURCE_DIR}/bench/grid_bench.cpp)
  target_link_libraries(grid_bench PRIVATE velt_win)
endif()
