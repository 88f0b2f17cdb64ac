# Message boxes sized for their title and text.
target_sources(ampwise_support_qt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QvMessageBox.h
  ${CMAKE_CURRENT_LIST_DIR}/QvMessageBox.cpp
)
