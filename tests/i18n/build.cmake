if(WIN32)
  target_compile_definitions(win_tests PRIVATE VELT_POLISH_CATALOGUE="${VELT_POLISH_MO}"
    VELT_ADDED_CATALOGUE="${VELT_ADDED_MO}")
endif()
