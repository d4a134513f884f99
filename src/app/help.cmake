# help.chm beside velt.exe, compiled from help/ by chmcmd in a copy of the
# sources (chmcmd writes next to its project file). chmcmd stores the time
# of day of the build twice; both are set to $SOURCE_DATE_EPOCH (else 0), so
# the file depends only on its sources. velt.hhp turns the binary index off:
# chmcmd leaves bytes of it uninitialised; the Index tab reads index.hhk.
find_program(VELT_PYTHON NAMES python3 REQUIRED)
find_program(VELT_CHMCMD chmcmd)
if(NOT VELT_CHMCMD)
  message(FATAL_ERROR "chmcmd not found; install fp-utils (scripts/install-deps.sh)")
endif()
file(GLOB VELT_HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
set(VELT_HELP_WORK ${CMAKE_BINARY_DIR}/help-work)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/help.chm
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VELT_HELP_WORK}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/help ${VELT_HELP_WORK}
  COMMAND ${CMAKE_COMMAND} -E chdir ${VELT_HELP_WORK} ${VELT_CHMCMD} --verbosity 0 velt.hhp
  COMMAND ${VELT_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/package.py stamp-chm ${VELT_HELP_WORK}/help.chm
  COMMAND ${CMAKE_COMMAND} -E copy ${VELT_HELP_WORK}/help.chm ${CMAKE_BINARY_DIR}/help.chm
  DEPENDS ${VELT_HELP_SOURCES} ${CMAKE_SOURCE_DIR}/scripts/package.py
  COMMENT "Compiling help.chm")
add_custom_target(velt_help ALL DEPENDS ${CMAKE_BINARY_DIR}/help.chm)
