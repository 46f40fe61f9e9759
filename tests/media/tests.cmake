list(APPEND core_test_sources
     media/JpegDecoderTest.cpp media/PngDecoderTest.cpp media/GammaCorrectionTest.cpp)
list(APPEND win_test_sources win/AlphaImageTest.cpp)
list(APPEND core_test_sources media/WaveFileTest.cpp)
list(APPEND win_test_sources win/ImageLoaderTest.cpp)
list(APPEND win_test_sources win/WaveAudioPlayerTest.cpp)
list(APPEND core_test_sources media/PlaybackPacingTest.cpp media/DateNavigationTest.cpp)
list(APPEND win_test_sources win/VideoPlayerTest.cpp)
list(APPEND core_test_sources media/PositionSmootherTest.cpp)
