#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <optional>

#include "recording/Bcd.h"
#include "settings/FirmInfo.h"
#include "tests/settings/SettingsFixtures.h"
#include "ui/Messages.h"

namespace tavrin::test::firm {
namespace {

using Fill = std::function<void(FirmInfo&)>;

std::int64_t localSeconds(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return localTimeToSeconds(local);
}

// `n` valid records with keys 0x2000, 0x2001, ...
Bytes manyRecords(int n) {
    Bytes bytes;
    for (int i = 0; i < n; ++i) bytes = bytes + record(static_cast<std::uint16_t>(0x2000 + i), 0);
    return bytes;
}

Bytes tableBytes(const FirmInfo& table) {
    Bytes bytes;
    for (int i = 0; i < table.count(); ++i)
        bytes.insert(bytes.end(), table.record(i).begin(), table.record(i).end());
    return bytes;
}

Failure failure(unsigned message, bool firmInfo) { return {true, firmInfo, loadMessage(message)}; }

void expectFailure(const Failure& got, const Failure& expected, const char* name) {
    EXPECT_EQ(got.thrown, expected.thrown) << name;
    EXPECT_EQ(got.firmInfo, expected.firmInfo) << name;
    EXPECT_EQ(got.text, expected.text) << name;
}

TEST(FirmInfoWrite, GivesExactlyTheFileLayout) {
    struct Case {
        const char* name;
        DeviceTypeCode code;
        Fill fill;
        Bytes expected;
    } cases[] = {
        {"buzzer only",
         {},
         [](FirmInfo& t) { t.valueFor(0x0306)[0] = 0x01; },
         {0x00, 0x01, 0x04, 0x03, 0xFF, 0xFF, 0xFF, 0xF9, 0x03, 0x06, 0x01, 0xFF, 0xFF, 0xFF, 0xFF,
          0x04}},
        {"empty table", {}, [](FirmInfo&) {}, {0x00, 0x01, 0x04, 0x03, 0xFF, 0xFF, 0xFF, 0xF9}},
        {"other type code",
         {0x05, 0x10},
         [](FirmInfo&) {},
         {0x00, 0x01, 0x05, 0x10, 0xFF, 0xFF, 0xFF, 0xEB}},
        {"clock",
         {},
         [](FirmInfo& t) { t.setClock(localSeconds(2012, 3, 4, 5, 6)); },
         header() + Bytes{0x01, 0x01, 0x12, 0x03, 0x04, 0x05, 0x06, 0x16}},
        {"setters in call order",
         {},
         [](FirmInfo& t) {
             t.setRecordingMode(0);
             t.setBuzzer(1);
             t.setRecordingMode(1);
         },
         header() + record(0x1801, 0x01) + record(0x0306, 0x01)},
    };
    for (const Case& c : cases) {
        DeviceTypeCodeGuard guard;
        deviceTypeCode = c.code;
        TestFolder folder;
        FirmInfo table;
        c.fill(table);
        table.writeFile(folder.file(L"KELM.INI"), false);
        EXPECT_EQ(readBytes(folder.file(L"KELM.INI")), c.expected) << c.name;
        EXPECT_EQ(folder.entries(), std::vector<std::wstring>{L"KELM.INI"}) << c.name;
        EXPECT_NO_THROW(table.verifyFile(folder.file(L"KELM.INI"))) << c.name;
    }
}

TEST(FirmInfoWrite, KeepExistingAppendsTheOldRecordsTheTableLacks) {
    const Fill buzzerOn = [](FirmInfo& t) { t.setBuzzer(1); };
    struct Case {
        const char* name;
        std::optional<Bytes> onDisk;
        Fill fill;
        Bytes expected;
    } cases[] = {
        {"new first, then old in order",
         header() + record(0x0101, 0x11, 0x12) + record(0x0306, 0x00) + record(0x0801, 0x22, 0x23),
         buzzerOn, record(0x0306, 0x01) + record(0x0101, 0x11, 0x12) + record(0x0801, 0x22, 0x23)},
        {"no file", std::nullopt, buzzerOn, record(0x0306, 0x01)},
        {"unreadable old file",
         Bytes{0x00, 0x01, 0x04, 0x03, 0xFF, 0xFF, 0xFF, 0x00} + record(0x0101, 1), buzzerOn,
         record(0x0306, 0x01)},
        {"old duplicate keys", header() + record(0x0801, 1) + record(0x0801, 2), [](FirmInfo&) {},
         record(0x0801, 1)},
        {"stops when full", header() + record(0x0101, 1) + record(0x0801, 2),
         [](FirmInfo& t) {
             for (int i = 0; i < 77; ++i) t.valueFor(static_cast<std::uint16_t>(0x2000 + i))[0] = 0;
         },
         manyRecords(77) + record(0x0101, 1)},
    };
    for (const Case& c : cases) {
        TestFolder folder;
        const Path path = folder.file(L"KELM.INI");
        if (c.onDisk) writeBytes(path, *c.onDisk);
        FirmInfo table;
        c.fill(table);
        table.writeFile(path, true);
        EXPECT_EQ(readBytes(path), header() + c.expected) << c.name;
        EXPECT_EQ(tableBytes(table), c.expected) << c.name;
    }
}

TEST(FirmInfoRead, AcceptsOnlyGoodHeadersAndDropsBadRecords) {
    const Bytes prefix(16, 0xA5);
    const Bytes firmware = prefix + header() + record(0x1801, 0x10);
    Bytes badCheck = header();
    badCheck[7] ^= 0x01;
    Bytes oddFields = {0x00, 0x01, 0x04, 0x03, 0x12, 0x34, 0x56};
    oddFields.push_back(xorOf(oddFields, 1, 7));
    Bytes badRecord = record(0x0306, 1);
    badRecord[7] ^= 0x80;
    const Bytes good = header();
    const Failure ok, plain = failure(5019, false), cannotOpen = failure(5019, true);
    struct Case {
        const char* name;
        bool firmwareFile;
        std::optional<Bytes> file;
        Failure expected;
        Bytes records;
    } cases[] = {
        {"header check wrong", false, badCheck + record(0x0101, 1), plain, {}},
        {"byte 0 not zero", false, Bytes{0x01} + Bytes(good.begin() + 1, good.end()), plain, {}},
        {"byte 1 not one", false, Bytes{0x00, 0x02, 0x04, 0x03, 0xFF, 0xFF, 0xFF, 0xFA}, plain, {}},
        {"foreign type code", false, header(0x04, 0x04) + record(0x0101, 1), plain, {}},
        {"short header", false, Bytes(good.begin(), good.end() - 1), plain, {}},
        {"empty file", false, Bytes{}, plain, {}},
        {"missing file", false, std::nullopt, cannotOpen, {}},
        {"bytes 4-6 free", false, oddFields + record(0x0101, 1), ok, record(0x0101, 1)},
        {"bad record skipped", false, header() + record(0x0101, 1) + badRecord + record(0x0801, 2),
         ok, record(0x0101, 1) + record(0x0801, 2)},
        {"partial record ignored", false, header() + record(0x0101, 1) + Bytes(5, 0), ok,
         record(0x0101, 1)},
        {"80 records", false, header() + manyRecords(80), ok, manyRecords(78)},
        {"firmware any prefix", true, firmware, ok, record(0x1801, 0x10)},
        {"firmware no records", true, prefix + header(), ok, {}},
        {"firmware 23 bytes", true, Bytes(firmware.begin(), firmware.begin() + 23), plain, {}},
        {"firmware 16 bytes", true, prefix, plain, {}},
        {"firmware 15 bytes", true, Bytes(15, 0), plain, {}},
        {"firmware foreign code", true, prefix + header(0x05, 0x03), plain, {}},
        {"firmware without prefix", true, header() + record(0x1801, 1), plain, {}},
        {"firmware missing", true, std::nullopt, cannotOpen, {}},
    };
    for (const Case& c : cases) {
        TestFolder folder;
        const Path path = folder.file(L"FIRMINFO.DAT");
        if (c.file) writeBytes(path, *c.file);
        FirmInfo table;
        expectFailure(failureOf([&] {
                          c.firmwareFile ? table.readFirmwareFile(path) : table.readFile(path);
                      }),
                      c.expected, c.name);
        if (!c.expected.thrown) {
            EXPECT_EQ(tableBytes(table), c.records) << c.name;
        }
    }
}

TEST(FirmInfoRead, FirmwareValuesReadAsBcd) {
    TestFolder folder;
    writeBytes(folder.file(L"F"),
               Bytes(16, 0) + header() + record(0x1801, 0x10) + record(0x1801, 0x00));
    FirmInfo table;
    table.readFirmwareFile(folder.file(L"F"));
    EXPECT_EQ(fromBcd(table.findValue(0x1801)[0]), 10);  // the first of a repeated key
    expectFailure(failureOf([&] { table.findValue(0x0306); }), {true, true, L""}, "missing key");
}

TEST(FirmInfoTable, ValueForAddsUntilFullThenFailsWithoutText) {
    FirmInfo table;
    std::uint8_t* added = table.valueFor(0x1234);
    EXPECT_EQ(tableBytes(table), (Bytes{0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(table.valueFor(0x1234), added);
    for (int i = 1; i < FirmInfo::kMaxRecords; ++i) table.valueFor(static_cast<std::uint16_t>(i));
    EXPECT_EQ(table.count(), 78);
    expectFailure(failureOf([&] { table.valueFor(0x4000); }), {true, true, L""}, "full");
    expectFailure(failureOf([&] { table.setBuzzer(1); }), {true, true, L""}, "full, setter");
    EXPECT_EQ(table.valueFor(0x1234), added);
    EXPECT_EQ(table.count(), 78);
}

TEST(FirmInfoTable, SettersWriteBcd) {
    struct Case {
        int n;
        std::uint8_t stored;
    } cases[] = {{0, 0x00},  {1, 0x01},  {9, 0x09},   {10, 0x10},
                 {42, 0x42}, {99, 0x99}, {150, 0x99}, {-3, 0x00}};
    for (const Case& c : cases) {
        FirmInfo table;
        table.setBuzzer(c.n);
        table.setRecordingMode(c.n);
        EXPECT_EQ(table.findValue(0x0306)[0], c.stored) << c.n;
        EXPECT_EQ(table.findValue(0x1801)[0], c.stored) << c.n;
    }
}

TEST(FirmInfoTable, ClockIsTheLocalTimeInBcd) {
    struct Case {
        int year, month, day, hour, minute;
        Bytes value;
    } cases[] = {
        {2012, 3, 4, 5, 6, {0x12, 0x03, 0x04, 0x05, 0x06}},
        {1999, 12, 31, 23, 59, {0x99, 0x12, 0x31, 0x23, 0x59}},
        {2000, 1, 1, 0, 0, {0x00, 0x01, 0x01, 0x00, 0x00}},
        {2037, 7, 15, 12, 30, {0x37, 0x07, 0x15, 0x12, 0x30}},
    };
    for (const Case& c : cases) {
        FirmInfo table;
        table.setClock(localSeconds(2010, 1, 1, 0, 0));
        table.setClock(localSeconds(c.year, c.month, c.day, c.hour, c.minute));
        ASSERT_EQ(table.count(), 1) << c.year;
        EXPECT_EQ(tableBytes(table), (Bytes{0x01, 0x01} + c.value + Bytes{0xFF})) << c.year;
    }
}

TEST(FirmInfoTable, UnconvertibleClockLeavesTheTableAlone) {
    FirmInfo table;
    table.setBuzzer(1);
    table.setClock(localSeconds(2012, 3, 4, 5, 6));
    const Bytes before = tableBytes(table);
    expectFailure(failureOf([&] { table.setClock(-1); }), failure(5021, true), "negative");
    EXPECT_EQ(tableBytes(table), before);
}

TEST(FirmInfoVerify, RejectsAnyDifferenceFromTheTable) {
    TestFolder folder;
    FirmInfo table;
    table.setBuzzer(1);
    table.setRecordingMode(0);
    table.writeFile(folder.file(L"KELM.INI"), false);
    Bytes badCheck = record(0x1801, 0);
    badCheck[7] ^= 1;
    const Failure ok, mismatch = failure(5007, true);
    struct Case {
        const char* name;
        std::optional<Bytes> file;
        Failure expected;
    } cases[] = {
        {"same", header() + record(0x0306, 1) + record(0x1801, 0), ok},
        {"value differs", header() + record(0x0306, 1) + record(0x1801, 1), mismatch},
        {"record missing", header() + record(0x0306, 1), mismatch},
        {"record extra", header() + record(0x0306, 1) + record(0x1801, 0) + record(0x0101, 0),
         mismatch},
        {"order differs", header() + record(0x1801, 0) + record(0x0306, 1), mismatch},
        {"check byte wrong", header() + record(0x0306, 1) + badCheck, mismatch},
        {"no file", std::nullopt, failure(5019, true)},
    };
    for (const Case& c : cases) {
        const Path path = folder.file(L"copy");
        if (c.file) writeBytes(path, *c.file);
        expectFailure(failureOf([&] { table.verifyFile(path); }), c.expected, c.name);
        deleteFile(path);
    }
}

TEST(FirmInfoWrite, FailureLeavesWhatWasThere) {
    for (bool keep : {false, true}) {
        TestFolder folder;
        const Path target = folder.file(L"KELM.INI");
        std::filesystem::create_directory(target);
        writeBytes(target + kPathSeparator + L"inner", Bytes{1, 2, 3});
        const auto permissions = std::filesystem::status(target).permissions();
        FirmInfo table;
        table.setBuzzer(1);
        expectFailure(failureOf([&] { table.writeFile(target, keep); }), failure(5020, true),
                      "folder");
        EXPECT_TRUE(isDirectory(target));
        EXPECT_EQ(std::filesystem::status(target).permissions(), permissions);
        EXPECT_EQ(readBytes(target + kPathSeparator + L"inner"), (Bytes{1, 2, 3}));
        EXPECT_EQ(folder.entries(), std::vector<std::wstring>{L"KELM.INI"});

        const Path gone = folder.file(L"gone") + kPathSeparator + L"KELM.INI";
        expectFailure(failureOf([&] { table.writeFile(gone, keep); }), failure(5020, true),
                      "no folder");
        EXPECT_EQ(folder.entries(), std::vector<std::wstring>{L"KELM.INI"});
    }
}

TEST(FirmInfoWrite, SecondWriteReplacesTheReadOnlyFile) {
    TestFolder folder;
    const Path path = folder.file(L"KELM.INI");
    FirmInfo first, second;
    first.setBuzzer(1);
    first.writeFile(path, false);
    second.setRecordingMode(1);
    second.writeFile(path, false);
    EXPECT_EQ(readBytes(path), header() + record(0x1801, 1));
    EXPECT_EQ(folder.entries(), std::vector<std::wstring>{L"KELM.INI"});
}

}  // namespace
}  // namespace tavrin::test::firm
