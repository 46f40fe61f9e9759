# The measuring of the benchmarks: finding heard sound in a track, the clocks and figures.
list(APPEND core_test_sources bench/TrackMatchingTest.cpp bench/HeardFiguresTest.cpp
                              bench/SinkLatencyTest.cpp)
list(APPEND core_test_libraries tavrin_bench_analysis tavrin_cardgen)
