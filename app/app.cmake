# The Ampwise program: placed where an install puts it, so that a build runs with the shipped data.
ampwise_qt_library(ampwise_app QvApplication.cpp)
target_link_libraries(ampwise_app PUBLIC Qt6::Widgets ampwise_mainwindow)

add_executable(Ampwise main.cpp)
ampwise_target_defaults(Ampwise)
target_link_libraries(Ampwise PRIVATE ampwise_app ampwise_mainwindow ampwise_report
                      ampwise_inieditor ampwise_support_qt ampwise_settings)
set_target_properties(Ampwise PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${AMPWISE_APP_DIR}")
ampwise_embed_version(Ampwise)
if(TARGET ampwise_data)
  add_dependencies(Ampwise ampwise_data)
endif()

# The help page beside the program, as the Help command looks for it.
set(_help_src "${PROJECT_SOURCE_DIR}/resources/Help/Index.htm")
set(_help_out "${AMPWISE_APP_DIR}/Help/Index.htm")
add_custom_command(OUTPUT "${_help_out}"
  COMMAND ${CMAKE_COMMAND} -E copy_if_different "${_help_src}" "${_help_out}"
  DEPENDS "${_help_src}" VERBATIM)
add_custom_target(ampwise_help ALL DEPENDS "${_help_out}")
add_dependencies(Ampwise ampwise_help)

install(TARGETS Ampwise DESTINATION Brannoworks/Ampwise)
install(FILES "${_help_src}" DESTINATION Brannoworks/Ampwise/Help)
