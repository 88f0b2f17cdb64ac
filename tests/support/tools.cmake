# Message pool and Tools menu: two helper programs play the other side (a receiver in a process
# of its own, and a program that records how it was started).
add_executable(ampwise_test_argrecorder ArgRecorder.cpp)
ampwise_target_defaults(ampwise_test_argrecorder)
add_executable(ampwise_test_poolreceiver PoolReceiver.cpp)
ampwise_target_defaults(ampwise_test_poolreceiver)
target_link_libraries(ampwise_test_poolreceiver PRIVATE ampwise_support)

ampwise_add_test(support_messagepool_test SOURCES QvMessagePoolTest.cpp LIBS ampwise_support)
add_dependencies(support_messagepool_test ampwise_test_poolreceiver)
target_compile_definitions(support_messagepool_test PRIVATE
  QV_POOL_RECEIVER="$<TARGET_FILE:ampwise_test_poolreceiver>")

ampwise_add_test(support_shell_test QT SOURCES QvShellTest.cpp QvMessagePoolReceiverTest.cpp
  LIBS ampwise_support_qt)
add_dependencies(support_shell_test ampwise_test_poolreceiver ampwise_test_argrecorder)
target_compile_definitions(support_shell_test PRIVATE
  QV_POOL_RECEIVER="$<TARGET_FILE:ampwise_test_poolreceiver>"
  QV_ARG_RECORDER="$<TARGET_FILE:ampwise_test_argrecorder>")
