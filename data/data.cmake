# The shipped electrical data: copied where a build places the maker's shared data folder, so that
# a fresh build runs with real data, and installed to the same place under the install prefix.
# Beside the program goes its settings file, so that the Settings command opens on what can be
# changed even before Reset writes it. A build copies it only when it is missing or the shipped
# one changed, so values edited in a build tree stay.
set(_elecdata_src "${CMAKE_CURRENT_SOURCE_DIR}/ElecData.ini")
set(_elecdata_out "${AMPWISE_SHARED_DATA_DIR}/ElecData.ini")
add_custom_command(
  OUTPUT "${_elecdata_out}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${AMPWISE_SHARED_DATA_DIR}"
  COMMAND ${CMAKE_COMMAND} -E copy "${_elecdata_src}" "${_elecdata_out}"
  DEPENDS "${_elecdata_src}"
  COMMENT "Placing ElecData.ini in the shared data folder"
  VERBATIM)
set(_settings_src "${CMAKE_CURRENT_SOURCE_DIR}/Ampwise.ini")
set(_settings_out "${AMPWISE_APP_DIR}/Ampwise.ini")
add_custom_command(
  OUTPUT "${_settings_out}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${AMPWISE_APP_DIR}"
  COMMAND ${CMAKE_COMMAND} -E copy "${_settings_src}" "${_settings_out}"
  DEPENDS "${_settings_src}"
  COMMENT "Placing Ampwise.ini beside the program"
  VERBATIM)
add_custom_target(ampwise_data ALL DEPENDS "${_elecdata_out}" "${_settings_out}")
install(FILES "${_elecdata_src}" DESTINATION "Brannoworks/Common Files")
install(FILES "${_settings_src}" DESTINATION "Brannoworks/Ampwise")
