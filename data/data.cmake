# The shipped electrical data: copied where a build places the maker's shared data folder, so that
# a fresh build runs with real data, and installed to the same place under the install prefix.
set(_elecdata_src "${CMAKE_CURRENT_SOURCE_DIR}/ElecData.ini")
set(_elecdata_out "${AMPWISE_SHARED_DATA_DIR}/ElecData.ini")
add_custom_command(
  OUTPUT "${_elecdata_out}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${AMPWISE_SHARED_DATA_DIR}"
  COMMAND ${CMAKE_COMMAND} -E copy "${_elecdata_src}" "${_elecdata_out}"
  DEPENDS "${_elecdata_src}"
  COMMENT "Placing ElecData.ini in the shared data folder"
  VERBATIM)
add_custom_target(ampwise_data ALL DEPENDS "${_elecdata_out}")
install(FILES "${_elecdata_src}" DESTINATION "Brannoworks/Common Files")
