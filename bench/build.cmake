# Benchmarks: Win32 programs run under Wine by scripts/bench.sh (one table)
# or by hand (scripts/wine-run), never by ctest. The GUI ones need an X
# display.
if(WIN32)
  add_executable(vault_bench ${CMAKE_SOURCE_DIR}/bench/vault_bench.cpp)
  target_link_libraries(vault_bench PRIVATE velt_win psapi)
  add_executable(strong_bench ${CMAKE_SOURCE_DIR}/bench/strong_bench.cpp)
  target_link_libraries(strong_bench PRIVATE velt_win)
  add_executable(grid_bench ${CMAKE_SOURCE_DIR}/bench/grid_bench.cpp)
  target_link_libraries(grid_bench PRIVATE velt_win)
  add_executable(import_bench ${CMAKE_SOURCE_DIR}/bench/import_bench.cpp)
  target_link_libraries(import_bench PRIVATE velt_win)
  add_executable(program_bench ${CMAKE_SOURCE_DIR}/bench/program_bench.cpp)
  target_link_libraries(program_bench PRIVATE velt_win psapi)
  add_executable(trivial_window WIN32 ${CMAKE_SOURCE_DIR}/bench/trivial_window.cpp)
  # The program's string table too, for a resource string fetched whole.
  add_executable(mo_bench ${CMAKE_SOURCE_DIR}/bench/mo_bench.cpp ${VELT_RC})
  target_link_libraries(mo_bench PRIVATE velt_win)
  # The catalogue behind its image, found as the program finds its own.
  velt_embed_catalogue(mo_bench)
  foreach(t vault_bench strong_bench grid_bench program_bench mo_bench import_bench)
    target_include_directories(${t} PRIVATE ${CMAKE_SOURCE_DIR})
  endforeach()
  add_custom_target(benchmarks DEPENDS velt vault_bench import_bench strong_bench grid_bench program_bench trivial_window mo_bench)
  # Auto-type is timed against the tests' login window.
  if(TARGET autotype_target)
    add_dependencies(benchmarks autotype_target)
  endif()
endif()
