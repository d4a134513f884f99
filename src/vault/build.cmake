# The Argon2 reference C code that makes the strong vault's key: the npm
# package's tarball fetched by version and integrity hash (data/argon2/
# pin.json), of which only the C files are compiled; none of its build
# scripts run. Once npm has the tarball in its cache, the build needs no
# network.
find_program(VELT_ARGON2_PYTHON python3 REQUIRED)
set(VELT_ARGON2_DIR ${CMAKE_BINARY_DIR}/argon2)
set(VELT_ARGON2_SOURCES ${VELT_ARGON2_DIR}/src/argon2.c ${VELT_ARGON2_DIR}/src/core.c
    ${VELT_ARGON2_DIR}/src/encoding.c ${VELT_ARGON2_DIR}/src/ref.c ${VELT_ARGON2_DIR}/src/thread.c
    ${VELT_ARGON2_DIR}/src/blake2/blake2b.c)
add_custom_command(OUTPUT ${VELT_ARGON2_SOURCES} ${VELT_ARGON2_DIR}/include/argon2.h ${VELT_ARGON2_DIR}/LICENSE
  COMMAND ${VELT_ARGON2_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/fetch-argon2.py ${CMAKE_SOURCE_DIR}/data/argon2/pin.json
          ${VELT_ARGON2_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/data/argon2/pin.json ${CMAKE_SOURCE_DIR}/scripts/fetch-argon2.py
  COMMENT "Fetching the Argon2 reference code (from npm's cache when it has it)")
add_custom_target(argon2_package DEPENDS ${VELT_ARGON2_DIR}/include/argon2.h)
add_library(argon2_reference STATIC ${VELT_ARGON2_SOURCES})
add_dependencies(argon2_reference argon2_package)
target_include_directories(argon2_reference PUBLIC ${VELT_ARGON2_DIR}/include)
# Optimised also in the host's debug build: a key of 64 MiB takes seconds at -O0.
target_compile_options(argon2_reference PRIVATE -O2 -w)
if(WIN32)
  # The lanes run on threads of their own.
else()
  target_compile_definitions(argon2_reference PRIVATE ARGON2_NO_THREADS)
endif()
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
