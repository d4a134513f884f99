# Pictures, glyphs and icon for pictures.rc, the manifest, and the help file.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/pictures.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/manifest.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/help.cmake)
endif()
