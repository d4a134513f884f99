# The Argon2 reference C code that makes the strong vault's key: the npm
# package's tarball fetched by version and integrity hash (data/argon2/
# pin.json), of which only the C files are compiled; none of its build
# scripts run. Once npm has the tarball in its cache, the build needs no
# network. Shared by the main build and the fuzz build:
#   velt_add_argon2(<project root>)  defines argon2_package and argon2_reference
function(velt_add_argon2 root)
  find_program(VELT_ARGON2_PYTHON python3 REQUIRED)
  set(dir ${CMAKE_BINARY_DIR}/argon2)
  set(sources ${dir}/src/argon2.c ${dir}/src/core.c ${dir}/src/encoding.c ${dir}/src/ref.c
      ${dir}/src/thread.c ${dir}/src/blake2/blake2b.c)
  add_custom_command(OUTPUT ${sources} ${dir}/include/argon2.h ${dir}/LICENSE
    COMMAND ${VELT_ARGON2_PYTHON} ${root}/scripts/fetch-argon2.py ${root}/data/argon2/pin.json ${dir}
    DEPENDS ${root}/data/argon2/pin.json ${root}/scripts/fetch-argon2.py
    COMMENT "Fetching the Argon2 reference code (from npm's cache when it has it)")
  add_custom_target(argon2_package DEPENDS ${dir}/include/argon2.h)
  add_library(argon2_reference STATIC ${sources})
  add_dependencies(argon2_reference argon2_package)
  target_include_directories(argon2_reference PUBLIC ${dir}/include)
  # Optimised also in the host's debug build: a key of 64 MiB takes seconds at -O0.
  target_compile_options(argon2_reference PRIVATE -O2 -w)
  # On Windows the lanes run on threads of their own.
  if(NOT WIN32)
    target_compile_definitions(argon2_reference PRIVATE ARGON2_NO_THREADS)
  endif()
endfunction()
