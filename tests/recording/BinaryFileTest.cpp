#include <gtest/gtest.h>

#include "recording/Platform.h"
#include "tests/support/TestFolder.h"

namespace tavrin {
namespace {

using test::Bytes;

// What each way of opening for writing leaves of a file's bytes, on both platforms.
TEST(BinaryFile, OpeningForWritingEmptiesTheFileOnlyWhenCreating) {
    struct Case {
        const char* name;
        bool existing;
        BinaryFile (*open)(const Path&);
        bool opens;
        Bytes after;  // the file's bytes after "ab" was written
    } cases[] = {
        {"create over a file", true, BinaryFile::createForWriting, true, {'a', 'b'}},
        {"create", false, BinaryFile::createForWriting, true, {'a', 'b'}},
        {"open a file", true, BinaryFile::openForWriting, true, {'a', 'b', 'z'}},
        {"open what is not there", false, BinaryFile::openForWriting, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestFolder folder;
        const Path path = folder.file(L"track");
        if (c.existing) test::writeBytes(path, {'x', 'y', 'z'});
        BinaryFile file = c.open(path);
        ASSERT_EQ(file.isOpen(), c.opens);
        if (!c.opens) {
            EXPECT_FALSE(fileExists(path));
            continue;
        }
        EXPECT_TRUE(file.write("ab", 2));
        file.close();
        EXPECT_EQ(test::readBytes(path), c.after);
    }
}

}  // namespace
}  // namespace tavrin
