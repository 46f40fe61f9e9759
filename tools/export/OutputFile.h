#pragma once

// One file the exporter writes: it goes to a temporary name in the output folder and takes its
// final name only once it is complete, so an export that is interrupted or fails leaves no half
// file under a name a person would open. An unfinished temporary file is removed. Its checksum is
// taken as its buffers go to the disk; a large file's buffers go there on a thread of their own.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "recording/Platform.h"
#include "tools/export/BackgroundHash.h"
#include "tools/export/PageBuffer.h"
#include "tools/export/RiffSink.h"
#include "tools/export/Sha256.h"
#include "tools/export/WriteBehind.h"

namespace tavrin::exporter {

class OutputFile : public RiffSink {
public:
    // Creates the temporary file in `folder` for the final name `name`. Throws ExportError when
    // the folder takes no file. A large file is hashed on the written stream of `hash` (which
    // must outlive it) and written behind the caller, a small one (null) as it is written.
    OutputFile(const Path& folder, const std::wstring& name, BackgroundHash* hash = nullptr);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // Removes the temporary file when the file was not committed.
    ~OutputFile() override;

    // Appends bytes; throws ExportError when the disk refuses them (full, gone, ...).
    void write(const void* bytes, std::size_t count) override;
    void write(const std::string& text) { write(text.data(), text.size()); }
    // Overwrites bytes already written; the checksum is then read back from the stored file.
    void overwrite(std::int64_t offset, const void* bytes, std::size_t count) override;
    std::int64_t size() const override { return size_; }

    // Finishes the file and gives it its final name; without `replace` an existing file of that
    // name is left alone and ExportError thrown. Returns the SHA-256 of the file's content as
    // stored, in hexadecimal.
    std::string commit(bool replace);

    const Path& finalPath() const { return finalPath_; }
    const std::wstring& name() const { return name_; }

private:
    // Writes the buffer in hand and moves on to the next.
    void flush();
    [[noreturn]] void fail(const std::string& what);
    [[noreturn]] void fail(const std::string& what, const std::string& reason);
    // Everything handed to the writing thread on the disk; throws ExportError when it is not.
    void drainWriter();
    std::string hashStoredFile();

    std::wstring name_;
    Path finalPath_;
    Path temporaryPath_;
    BinaryFile file_;
    // Buffers in turn: the disk takes one while the hash still reads those before it.
    std::vector<PageBuffer> buffers_;
    std::vector<std::uint64_t> tickets_;       // of each buffer's last bytes on the hash
    std::vector<std::uint64_t> writeTickets_;  // and on the writing thread
    std::size_t current_ = 0;
    std::size_t used_ = 0;  // bytes in the current buffer
    std::int64_t size_ = 0;
    // Hashed as written, unless bytes already written were overwritten: then the stored file is
    // read back.
    BackgroundHash* background_;
    Sha256 hash_;
    bool overwritten_ = false;
    bool committed_ = false;
    // Holds the buffers' addresses: stopped before they or the file go.
    std::unique_ptr<WriteBehind> writer_;
};

// folder + separator + name.
Path joinPath(const Path& folder, const std::wstring& name);

}  // namespace tavrin::exporter
