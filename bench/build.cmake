# Benchmarks: run by hand, print their figures (never part of the tests).
#   scripts/wine-run build/win32/<name>.exe   (the GUI ones inside an X display)
if(WIN32)
  add_executable(grid_bench ${CMAKE_SOURCE_DIR}/bench/grid_bench.cpp)
  target_link_libraries(grid_bench PRIVATE velt_win)
endif()
