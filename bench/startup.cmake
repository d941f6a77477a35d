# The baseline program bench/startup.sh starts next to tovo.
tovo_bench(startup_baseline SOURCES ${CMAKE_CURRENT_LIST_DIR}/startup_baseline.cpp LIBS tovo_connect Qt6::Widgets)
