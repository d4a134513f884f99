# The bitmaps and the icon are drawn by a host tool into build/<config>/pictures;
# pictures.rc names them and windres finds them through the include path.
file(GLOB VELT_PICTURE_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/pictures/*.cpp)
file(GLOB VELT_PICTURE_TOOL_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/pictures/*.h)
velt_host_tool(gen_pictures ${VELT_PICTURE_TOOL_SOURCES})
add_custom_command(OUTPUT ${HOSTTOOL_gen_pictures} APPEND DEPENDS ${VELT_PICTURE_TOOL_HEADERS})

set(VELT_PICTURES_DIR ${CMAKE_BINARY_DIR}/pictures)
set(VELT_PICTURE_FILES)
foreach(f image1.bmp image2.bmp image2_2x.bmp velt.ico BBCOK.bmp BBCCANCEL.bmp BBCHELP.bmp BBCYES.bmp BBCNO.bmp
          BBCCLOSE.bmp BBCABORT.bmp BBCRETRY.bmp BBCIGNORE.bmp BBCALL.bmp)
  list(APPEND VELT_PICTURE_FILES ${VELT_PICTURES_DIR}/${f})
endforeach()
add_custom_command(OUTPUT ${VELT_PICTURE_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VELT_PICTURES_DIR}
  COMMAND ${HOSTTOOL_gen_pictures} ${VELT_PICTURES_DIR}
  DEPENDS ${HOSTTOOL_gen_pictures}
  COMMENT "Drawing the pictures and button glyphs")
add_custom_target(velt_pictures DEPENDS ${VELT_PICTURE_FILES})

# The .rc recompiles when a picture changes; the targets wait for the drawing.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/pictures.rc PROPERTIES
  OBJECT_DEPENDS "${VELT_PICTURE_FILES}"
  INCLUDE_DIRECTORIES ${VELT_PICTURES_DIR})
foreach(t velt win_tests)
  if(TARGET ${t})
    add_dependencies(${t} velt_pictures)
  endif()
endforeach()
