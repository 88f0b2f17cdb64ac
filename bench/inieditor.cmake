# Speed of the INI editor: colouring (tokenizer alone, load + colour) and making the window.
find_package(benchmark REQUIRED)
add_executable(inieditor_bench inieditor_bench.cpp)
ampwise_target_defaults(inieditor_bench)
target_link_libraries(inieditor_bench PRIVATE ampwise_inieditor benchmark::benchmark)
# The window's caption comes from the running program's version block.
ampwise_embed_version(inieditor_bench)
