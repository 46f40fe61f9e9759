list(APPEND core_test_sources ui/MessagesTest.cpp)
list(APPEND win_test_sources win/MessagesWinTest.cpp)
list(APPEND win_test_sources win/WindowTest.cpp)
