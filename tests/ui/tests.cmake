list(APPEND core_test_sources ui/MessagesTest.cpp)
list(APPEND win_test_sources win/MessagesWinTest.cpp)
list(APPEND win_test_sources win/WindowTest.cpp)
list(APPEND core_test_sources ui/TextPlacementTest.cpp ui/VersionStringTest.cpp)
list(APPEND win_test_sources win/LabelTest.cpp win/ShellHelpersTest.cpp win/AboutDialogTest.cpp
                             win/HelpPageTest.cpp)
list(APPEND core_test_sources ui/TrackGeometryTest.cpp)
list(APPEND win_test_sources win/ImageButtonTest.cpp win/ImageTrackBarTest.cpp)
