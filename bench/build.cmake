# Benchmarks: Win32 programs run under Wine by hand (scripts/wine-run), not
# part of ctest.
if(WIN32)
  add_executable(vault_bench ${CMAKE_SOURCE_DIR}/bench/vault_bench.cpp)
  target_link_libraries(vault_bench PRIVATE velt_win psapi)
endif()
