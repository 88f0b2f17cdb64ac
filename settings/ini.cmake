# The INI store: the text engine standing in for the profile functions, and the typed store on it.
target_sources(ampwise_settings PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QvIniText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QvIniFiles.cpp
)
