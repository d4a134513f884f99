# The common-password and word lists: their npm packages fetched by version
# and integrity hash (data/lists/package-lock.json), then turned into a
# front-coded table compiled into the core. Once npm has the packages in
# its cache, the build needs no network.
find_program(VELT_NPM npm REQUIRED)
find_program(VELT_LISTS_PYTHON python3 REQUIRED)
set(VELT_LISTS_DIR ${CMAKE_BINARY_DIR}/lists)
set(VELT_LISTS_STAMP ${VELT_LISTS_DIR}/node_modules/.package-lock.json)
add_custom_command(OUTPUT ${VELT_LISTS_STAMP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VELT_LISTS_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/data/lists/package.json
          ${CMAKE_SOURCE_DIR}/data/lists/package-lock.json ${VELT_LISTS_DIR}
  COMMAND ${VELT_NPM} ci --prefix ${VELT_LISTS_DIR} --prefer-offline --ignore-scripts
          --no-audit --no-fund --loglevel=error
  DEPENDS ${CMAKE_SOURCE_DIR}/data/lists/package.json ${CMAKE_SOURCE_DIR}/data/lists/package-lock.json
  COMMENT "Fetching the lists' npm packages (from npm's cache when it has them)")
# One target owns the fetch: two targets naming the same output would run
# npm twice at once in a parallel build.
add_custom_target(list_packages DEPENDS ${VELT_LISTS_STAMP})
set(VELT_LISTS_CPP ${CMAKE_BINARY_DIR}/generated/common_lists_data.cpp)
add_custom_command(OUTPUT ${VELT_LISTS_CPP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND ${VELT_LISTS_PYTHON} ${CMAKE_SOURCE_DIR}/scripts/make-lists.py ${VELT_LISTS_DIR}/node_modules
          ${VELT_LISTS_CPP}
  DEPENDS ${VELT_LISTS_STAMP} ${CMAKE_SOURCE_DIR}/scripts/make-lists.py
  COMMENT "Generating the common lists' table")
target_sources(velt_core PRIVATE ${VELT_LISTS_CPP})
add_dependencies(velt_core list_packages)

# Their licences, for the zip beside Velt's own.
set(VELT_LIST_LICENCES ${CMAKE_BINARY_DIR}/licences/zxcvbn-LICENSE.txt
    ${CMAKE_BINARY_DIR}/licences/zxcvbn-ts-language-pl-LICENSE.txt)
add_custom_command(OUTPUT ${VELT_LIST_LICENCES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/licences
  COMMAND ${CMAKE_COMMAND} -E copy ${VELT_LISTS_DIR}/node_modules/zxcvbn/LICENSE.txt
          ${CMAKE_BINARY_DIR}/licences/zxcvbn-LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${VELT_LISTS_DIR}/node_modules/@zxcvbn-ts/language-pl/LICENSE.txt
          ${CMAKE_BINARY_DIR}/licences/zxcvbn-ts-language-pl-LICENSE.txt
  DEPENDS ${VELT_LISTS_STAMP}
  COMMENT "Copying the lists' licences")
add_custom_target(list_licences ALL DEPENDS ${VELT_LIST_LICENCES})
add_dependencies(list_licences list_packages)
