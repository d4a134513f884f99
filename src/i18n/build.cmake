# The Polish catalogue: compiled from its .po source at build time (msgfmt,
# then the header's creation-date line restored). Tests and the embedding
# step take it from the build tree.
find_program(MSGFMT msgfmt REQUIRED)
velt_host_tool(catalogue_tool
  ${CMAKE_SOURCE_DIR}/src/i18n/tools/catalogue_tool.cpp
  ${CMAKE_SOURCE_DIR}/src/i18n/catalogue_embedding.cpp)

set(VELT_POLISH_PO ${CMAKE_SOURCE_DIR}/src/i18n/pl/default.po)
set(VELT_POLISH_MO ${CMAKE_BINARY_DIR}/locale/pl/LC_MESSAGES/default.mo)
set(VELT_POLISH_MSGFMT ${CMAKE_BINARY_DIR}/locale/default-pl.msgfmt.mo)
add_custom_command(OUTPUT ${VELT_POLISH_MO}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/locale/pl/LC_MESSAGES
  COMMAND ${MSGFMT} -o ${VELT_POLISH_MSGFMT} ${VELT_POLISH_PO}
  COMMAND ${HOSTTOOL_catalogue_tool} restore-header ${VELT_POLISH_MSGFMT} ${VELT_POLISH_MO}
  DEPENDS ${VELT_POLISH_PO} ${HOSTTOOL_catalogue_tool}
  COMMENT "Compiling the Polish catalogue")
# The texts Velt added beyond that catalogue: the second domain, "velt".
set(VELT_ADDED_PO ${CMAKE_SOURCE_DIR}/src/i18n/pl/velt.po)
set(VELT_ADDED_MO ${CMAKE_BINARY_DIR}/locale/pl/LC_MESSAGES/velt.mo)
add_custom_command(OUTPUT ${VELT_ADDED_MO}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/locale/pl/LC_MESSAGES
  COMMAND ${MSGFMT} --check-format -o ${VELT_ADDED_MO} ${VELT_ADDED_PO}
  DEPENDS ${VELT_ADDED_PO}
  COMMENT "Compiling Velt's own Polish catalogue")
add_custom_target(polish_catalogue ALL DEPENDS ${VELT_POLISH_MO} ${VELT_ADDED_MO})
add_dependencies(polish_catalogue hosttool_catalogue_tool)

add_dependencies(core_tests polish_catalogue)
target_compile_definitions(core_tests PRIVATE VELT_POLISH_CATALOGUE="${VELT_POLISH_MO}"
  VELT_ADDED_CATALOGUE="${VELT_ADDED_MO}")
