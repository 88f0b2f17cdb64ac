# Message pool, the maker's program table and the Tools menu runner.
target_sources(ampwise_support PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QvFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QvMessagePool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QvToolPrograms.cpp
)
target_sources(ampwise_support_qt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QvShell.h
  ${CMAKE_CURRENT_LIST_DIR}/QvShell.cpp
)
target_sources(ampwise_support_qt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QvMessagePoolReceiver.h
  ${CMAKE_CURRENT_LIST_DIR}/QvMessagePoolReceiver.cpp
)
