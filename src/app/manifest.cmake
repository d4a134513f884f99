# The application manifest: asInvoker, so Windows neither asks for elevation
# nor redirects writes beside velt.exe into a virtual store, and the Windows
# versions Velt is tested on. Deliberately no DPI awareness (the layout is in
# fixed pixels and Windows scales it) and no common-controls 6 dependency
# (it would change the look of every control).
set(VELT_MANIFEST_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
set(VELT_MANIFEST_DIR ${CMAKE_BINARY_DIR}/manifest)
configure_file(${CMAKE_SOURCE_DIR}/src/app/velt.manifest.in ${VELT_MANIFEST_DIR}/velt.manifest @ONLY)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/manifest.rc PROPERTIES
  OBJECT_DEPENDS ${VELT_MANIFEST_DIR}/velt.manifest
  INCLUDE_DIRECTORIES ${VELT_MANIFEST_DIR})
