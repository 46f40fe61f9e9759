list(APPEND core_test_sources
     media/JpegDecoderTest.cpp media/PngDecoderTest.cpp media/GammaCorrectionTest.cpp)
list(APPEND win_test_sources win/AlphaImageTest.cpp)
list(APPEND core_test_sources media/WaveFileTest.cpp)
list(APPEND win_test_sources win/ImageLoaderTest.cpp)
list(APPEND win_test_sources win/WaveAudioPlayerTest.cpp)
# What a process holds, read as the end-to-end tests read the viewer's.
list(APPEND win_test_sources e2e/ProcessFigures.cpp)
list(APPEND core_test_sources media/PlaybackPacingTest.cpp media/DateNavigationTest.cpp)
list(APPEND win_test_sources win/VideoPlayerTest.cpp)
list(APPEND win_test_sources win/AnimationTest.cpp)
list(APPEND core_test_sources media/SkinPicturesTest.cpp)
list(APPEND core_test_sources media/PositionSmootherTest.cpp)
list(APPEND core_test_sources media/JpegDeclaredSizeTest.cpp)
