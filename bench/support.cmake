# Speed of the message pool: a message answered while stuck peers wait on the same receiver.
find_package(benchmark REQUIRED)
add_executable(support_bench support_bench.cpp)
ampwise_target_defaults(support_bench)
target_link_libraries(support_bench PRIVATE ampwise_support benchmark::benchmark_main)
