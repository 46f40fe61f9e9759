list(APPEND core_test_sources settings/FirmInfoTest.cpp settings/DeviceTypeCodeTest.cpp)
if(NOT WIN32)
    # A short write is provoked through the file-size limit, which only POSIX offers.
    list(APPEND core_test_sources settings/FirmInfoPosixTest.cpp)
endif()
list(APPEND win_test_sources settings/FirmInfoWinTest.cpp)
list(APPEND win_test_sources win/GThresholdDialogTest.cpp win/DateTimeDialogTest.cpp
                             win/DialogMutexTest.cpp win/SettingsDialogTest.cpp)
