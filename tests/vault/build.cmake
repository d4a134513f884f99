# A second process that holds the vault file the way another program would,
# for the Wine tests of Save and Load against it. Built beside win_tests.
if(WIN32)
  add_executable(file_holder ${CMAKE_SOURCE_DIR}/tests/vault/file_holder_win.cpp)
  add_dependencies(win_tests file_holder)
endif()
