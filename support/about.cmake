# The About box.
target_sources(ampwise_support_qt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QvQuickAbout.h
  ${CMAKE_CURRENT_LIST_DIR}/QvQuickAbout.cpp
)
