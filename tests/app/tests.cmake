list(APPEND core_test_sources app/MainLayoutTest.cpp app/ChartGeometryTest.cpp app/InfoTextTest.cpp)
list(APPEND win_test_sources win/LineChartTest.cpp win/InfoPanelTest.cpp
                             win/ConsolePanelTest.cpp win/ConfigPanelTest.cpp)
list(APPEND win_test_sources win/StartupTest.cpp)
list(APPEND win_test_sources win/MainWindowTest.cpp)
