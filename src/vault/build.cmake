# The Argon2 reference C code that makes the strong vault's key.
include(${CMAKE_SOURCE_DIR}/cmake/argon2.cmake)
velt_add_argon2(${CMAKE_SOURCE_DIR})
set(VELT_ARGON2_DIR ${CMAKE_BINARY_DIR}/argon2)
target_link_libraries(velt_core PUBLIC argon2_reference)
add_dependencies(velt_core argon2_package)

# Its licence, for the zip beside Velt's own.
set(VELT_ARGON2_LICENCE ${CMAKE_BINARY_DIR}/licences/argon2-LICENSE.txt)
add_custom_command(OUTPUT ${VELT_ARGON2_LICENCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/licences
  COMMAND ${CMAKE_COMMAND} -E copy ${VELT_ARGON2_DIR}/LICENSE ${VELT_ARGON2_LICENCE}
  DEPENDS ${VELT_ARGON2_DIR}/LICENSE
  COMMENT "Copying the Argon2 code's licence")
add_custom_target(argon2_licence ALL DEPENDS ${VELT_ARGON2_LICENCE})
add_dependencies(argon2_licence argon2_package)
