#include <gtest/gtest.h>

#include "ui/VersionString.h"

namespace tavrin {
namespace {

TEST(VersionString, ThirdCommaEndsTheVersion) {
    EXPECT_EQ(versionFromFileVersion(L"1, 0, 0, 0"), L"1.0.0");
    EXPECT_EQ(versionFromFileVersion(L"2, 10, 3, 7"), L"2.10.3");
    EXPECT_EQ(versionFromFileVersion(L"2,10,3,7,9"), L"2.10.3");
    EXPECT_EQ(versionFromFileVersion(L"1, 2"), L"1.2");
}

TEST(VersionString, OnlyDigitsAndCommasCount) {
    EXPECT_EQ(versionFromFileVersion(L"12 beta"), L"12");
    EXPECT_EQ(versionFromFileVersion(L"1.0.0.0"), L"1000");
    EXPECT_EQ(versionFromFileVersion(L"v1, 0 rc, 3, 4"), L"1.0.3");
    EXPECT_EQ(versionFromFileVersion(L"１, 0"), L".0");  // full-width digits are not digits here
    EXPECT_EQ(versionFromFileVersion(L""), L"");
}

}  // namespace
}  // namespace tavrin
