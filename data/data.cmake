# The shipped electrical data: copied where a build places the maker's shared data folder, so that
# a fresh build runs with real data, and installed to the same place under the install prefix.
# Beside the program goes its settings file, so that the Settings command opens on what can be
# changed even before Reset writes it. A build copies a file only when it is missing or the
# shipped one changed, so values edited in a build tree stay.
function(_ampwise_place_file src dir out)
  get_filename_component(_name "${src}" NAME)
  add_custom_command(
    OUTPUT "${dir}/${_name}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
    COMMAND ${CMAKE_COMMAND} -E copy "${src}" "${dir}/${_name}"
    DEPENDS "${src}"
    COMMENT "Placing ${_name} in ${dir}"
    VERBATIM)
  set(${out} "${dir}/${_name}" PARENT_SCOPE)
endfunction()

set(_elecdata_src "${CMAKE_CURRENT_SOURCE_DIR}/ElecData.ini")
set(_settings_src "${CMAKE_CURRENT_SOURCE_DIR}/Ampwise.ini")
_ampwise_place_file("${_elecdata_src}" "${AMPWISE_SHARED_DATA_DIR}" _elecdata_out)
_ampwise_place_file("${_settings_src}" "${AMPWISE_APP_DIR}" _settings_out)
add_custom_target(ampwise_data ALL DEPENDS "${_elecdata_out}" "${_settings_out}")
install(FILES "${_elecdata_src}" DESTINATION "Brannoworks/Common Files")
install(FILES "${_settings_src}" DESTINATION "Brannoworks/Ampwise")
