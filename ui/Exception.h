#pragma once

#include <string>

namespace tavrin {

// Every failure travels as one of these, carrying the text the user is shown, already final.
// Handlers catch Exception by reference; the derived classes only say where a failure came from.
class Exception {
public:
    explicit Exception(std::wstring message = {});
    Exception(const Exception&) = default;
    Exception& operator=(const Exception&) = default;
    virtual ~Exception();

    const std::wstring& message() const { return message_; }

private:
    std::wstring message_;
};

#define TAVRIN_DECLARE_EXCEPTION(Name)  \
    class Name : public Exception {     \
    public:                             \
        using Exception::Exception;     \
        ~Name() override;               \
    }

// A platform call failed; the text is the system's description of the error code.
TAVRIN_DECLARE_EXCEPTION(WindowException);
// Start-up could not initialise a system service.
TAVRIN_DECLARE_EXCEPTION(SystemException);
// A settings or firmware record file could not be read, written or verified.
TAVRIN_DECLARE_EXCEPTION(FirmInfoException);
// A picture could not be decoded, or the picture loader failed.
TAVRIN_DECLARE_EXCEPTION(ImageException);
// A recording could not be read, its sound not restored, or there is nothing to move to.
TAVRIN_DECLARE_EXCEPTION(VideoArchiveException);
// A sound operation was asked for while no output device is open.
TAVRIN_DECLARE_EXCEPTION(WaveAudioException);

#undef TAVRIN_DECLARE_EXCEPTION

// Not part of the family on purpose: the player throws it when the open recording's folder has
// gone (after telling the user), and only the player and the main window catch it.
struct DataMissingException {};

// The system's description of a platform error code, as an exception for the caller to throw.
// When the system has no text for the code, message 5070 with the code in decimal.
WindowException describeError(unsigned long code);

// Message 5070 filled in with the code; shared by every platform's describeError.
std::wstring unknownErrorText(unsigned long code);

}  // namespace tavrin
