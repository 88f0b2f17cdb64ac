# Icons drawn as vector shapes, for every window's tool bar.
target_sources(ampwise_support_qt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QvPaintedIcon.h
  ${CMAKE_CURRENT_LIST_DIR}/QvPaintedIcon.cpp
)
