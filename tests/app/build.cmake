# Black-box smoke run of the real velt.exe under Wine, driven with xdotool.
if(WIN32 AND TARGET velt)
  add_test(NAME app.smoke
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/app/smoke.sh $<TARGET_FILE:velt>
            ${CMAKE_BINARY_DIR}/smoke ${CMAKE_BINARY_DIR}/shots ${CMAKE_BINARY_DIR}/wineprefix-dpi)
  # Drives the one display by mouse and keyboard: nothing else may run beside it.
  set_tests_properties(app.smoke PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE
    ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
endif()

# The display-scale suite again at 120, 144 and 192 DPI, in a prefix of its
# own: LogPixels is a user setting, and the other tests need 96.
if(WIN32 AND TARGET win_tests)
  foreach(dpi 120 144 192)
    add_test(NAME app.display_scale_${dpi} COMMAND bash -c
      "\"$0\" && wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d ${dpi} /f >/dev/null 2>&1 &&
       \"$1\" \"$2\" --gtest_filter='DisplayScale*'; rc=$?; wineserver -k; exit $rc"
      ${CMAKE_SOURCE_DIR}/scripts/wine-prefix ${CMAKE_SOURCE_DIR}/scripts/wine-run $<TARGET_FILE:win_tests>)
    set_tests_properties(app.display_scale_${dpi} PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE
      ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-dpi;LC_ALL=pl_PL.UTF-8;LANG=")
  endforeach()
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

# The help's links, contents, index and shortcut table, from its sources.
if(NOT WIN32)
  add_test(NAME Help.LinksContentsAndShortcuts
           COMMAND ${PYTHON3_FOR_CHECKS} ${CMAKE_SOURCE_DIR}/tests/app/help_test.py ${CMAKE_SOURCE_DIR})
endif()

# Auto-type typed into a small login window, driven with xdotool.
if(WIN32 AND TARGET velt)
  add_executable(autotype_target WIN32 ${CMAKE_SOURCE_DIR}/tests/app/autotype_target.cpp)
  target_link_options(autotype_target PRIVATE -municode)
  target_link_libraries(autotype_target PRIVATE shell32)
  add_dependencies(win_tests autotype_target)
  add_test(NAME app.autotype
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/app/autotype.sh $<TARGET_FILE:velt> $<TARGET_FILE:autotype_target>
            ${CMAKE_BINARY_DIR}/autotype ${CMAKE_BINARY_DIR}/shots/autotype)
  set_tests_properties(app.autotype PROPERTIES TIMEOUT 180 RUN_SERIAL TRUE
    ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
endif()

# A second process that reads the main window as a screen reader does.
if(WIN32)
  add_executable(msaa_reader ${CMAKE_SOURCE_DIR}/tests/app/msaa_reader_win.cpp)
  target_link_libraries(msaa_reader PRIVATE oleacc ole32 oleaut32 uuid)
  add_dependencies(win_tests msaa_reader)
endif()
