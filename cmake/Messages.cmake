# The message table is kept once, in resources/messages.txt. Windows builds compile it into the
# string table; other builds compile it into a C++ array that loadMessage reads.
set(TAVRIN_MESSAGES_SOURCE ${CMAKE_SOURCE_DIR}/resources/messages.txt)
set(TAVRIN_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(TAVRIN_MESSAGES_RC ${TAVRIN_GENERATED_DIR}/messages.rc)
set(TAVRIN_MESSAGES_CPP ${TAVRIN_GENERATED_DIR}/MessageTable.cpp)

add_custom_command(
    OUTPUT ${TAVRIN_MESSAGES_RC} ${TAVRIN_MESSAGES_CPP}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${TAVRIN_MESSAGES_SOURCE} -DRC_OUTPUT=${TAVRIN_MESSAGES_RC}
            -DCPP_OUTPUT=${TAVRIN_MESSAGES_CPP} -P ${CMAKE_SOURCE_DIR}/cmake/generate-messages.cmake
    DEPENDS ${TAVRIN_MESSAGES_SOURCE} ${CMAKE_SOURCE_DIR}/cmake/generate-messages.cmake
    COMMENT "Generating the message table"
    VERBATIM)
add_custom_target(tavrin_messages DEPENDS ${TAVRIN_MESSAGES_RC} ${TAVRIN_MESSAGES_CPP})

# Resource scripts are UTF-8; windres must be told, or the Japanese texts arrive garbled.
if(WIN32)
    set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
endif()
