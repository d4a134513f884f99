# Black-box smoke run of the real velt.exe under Wine, driven with xdotool.
if(WIN32 AND TARGET velt)
  add_test(NAME app.smoke
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/app/smoke.sh $<TARGET_FILE:velt>
            ${CMAKE_BINARY_DIR}/smoke ${CMAKE_BINARY_DIR}/shots)
  # Drives the one display by mouse and keyboard: nothing else may run beside it.
  set_tests_properties(app.smoke PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE
    ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
endif()

# The Windows download, packed from this build's velt.exe and help.chm.
if(WIN32 AND TARGET velt)
  add_test(NAME app.package
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/app/package_test.sh ${CMAKE_BINARY_DIR}
            ${CMAKE_BINARY_DIR}/package-test)
  set_tests_properties(app.package PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE
    ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
endif()

# Libraries that only some commands need stay out of the import table, so
# the start-up does not load them (they are found on first use).
if(WIN32 AND TARGET velt AND CMAKE_OBJDUMP)
  add_test(NAME app.lazy_imports
    COMMAND bash -c "! \"$0\" -p \"$1\" | grep -Ei 'DLL Name: (bcrypt|comctl32|comdlg32|msimg32|shell32)\\.dll'"
            ${CMAKE_OBJDUMP} $<TARGET_FILE:velt>)
endif()

# A second process that reads the main window as a screen reader does.
if(WIN32)
  add_executable(msaa_reader ${CMAKE_SOURCE_DIR}/tests/app/msaa_reader_win.cpp)
  target_link_libraries(msaa_reader PRIVATE oleacc ole32 oleaut32 uuid)
  add_dependencies(win_tests msaa_reader)
endif()
