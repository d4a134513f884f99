# Round trip of the CSV export through Python's csv module (host build only).
if(NOT WIN32)
  find_program(PYTHON3 python3)
  if(PYTHON3)
    add_executable(csv_roundtrip_tool ${CMAKE_CURRENT_LIST_DIR}/csv_roundtrip_tool.cpp)
    target_link_libraries(csv_roundtrip_tool PRIVATE velt_core)
    add_test(NAME CsvExport.PythonCsvRoundTrip
             COMMAND ${PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/csv_roundtrip.py $<TARGET_FILE:csv_roundtrip_tool>)
  endif()
endif()
