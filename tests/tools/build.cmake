# The timing probe's generated code (the optimiser must not drop its work).
if(WIN32 AND CMAKE_OBJDUMP)
  add_test(NAME tools.probe_code
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/tools/probe_code.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:velt_core>)
endif()
