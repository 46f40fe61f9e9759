list(APPEND core_test_sources
     recording/LocalTimeTest.cpp recording/FrameInfoTest.cpp recording/VideoArchiveTest.cpp
     recording/ArchiveDamageTest.cpp recording/SoundTrackTest.cpp recording/ArchiveListingTest.cpp
     recording/TextEncodingTest.cpp)
list(APPEND core_test_libraries tavrin_archive_builder)
list(APPEND core_test_sources recording/ReadAheadSourceTest.cpp recording/BinaryFileTest.cpp
     recording/BackgroundWriterTest.cpp recording/TrackAssemblerTest.cpp
     recording/SynchronisationTest.cpp recording/SlotPlacerTest.cpp
     recording/ProcessorPlacementTest.cpp)
