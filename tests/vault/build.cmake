# A second process that holds the vault file the way another program would,
# for the Wine tests of Save and Load against it. Built beside win_tests.
if(WIN32)
  add_executable(file_holder ${CMAKE_SOURCE_DIR}/tests/vault/file_holder_win.cpp)
  add_dependencies(win_tests file_holder)
endif()

# Velt's side of the independent check of the strong format against Python's
# cryptography and argon2 packages (both ways), run under Wine by the Wine
# test run. Debian's python3 first: the packages are Debian's.
if(WIN32)
  add_executable(strong_vault_tool ${CMAKE_SOURCE_DIR}/tests/vault/strong_vault_tool_win.cpp)
  target_link_libraries(strong_vault_tool PRIVATE velt_win)
  # Its own cache entry: another test may already have found a python3
  # first on the PATH that lacks Debian's modules.
  find_program(DEBIAN_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
  if(NOT DEBIAN_PYTHON3)
    find_program(DEBIAN_PYTHON3 python3)
  endif()
  if(DEBIAN_PYTHON3)
    add_test(NAME StrongVault.PythonCryptographyBothWays
             COMMAND ${DEBIAN_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/vault/strong_vault_check.py
                     $<TARGET_FILE:strong_vault_tool>)
    set_tests_properties(StrongVault.PythonCryptographyBothWays PROPERTIES
      TIMEOUT 120 ENVIRONMENT "LC_ALL=en_US.UTF-8;LANG=")
  endif()
endif()
