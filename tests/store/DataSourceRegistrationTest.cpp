#include "store/DataSourceRegistration.h"
#include "text/TextFile.h"

#include <gtest/gtest.h>

using namespace dorvane;

TEST(DataSourceRegistration, AttributeListIsNulSeparatedAndEndsWithAnEmptyString)
{
    const std::string list = DataSourceAttributes("Dorvane", "C:\\W\\dataM\\Dorvane.dorv", "C:\\W");
    using namespace std::string_literals;
    const std::string expected = "DSN=Dorvane\0DBQ=C:\\W\\dataM\\Dorvane.dorv\0DEFAULTDIR=C:\\W\0\0 "s;
    EXPECT_EQ(list, expected);
}

TEST(DataSourceRegistration, RegistryScriptEscapesTheWorkFolder)
{
    EXPECT_EQ(EscapeForRegistry("C:\\A\\B"), "C:\\\\A\\\\B");
    const std::string script = RegistryScriptText("D:\\Tools\\Waybill");
    auto lines = SplitAt(script, '\n');
    ASSERT_EQ(lines.size(), 17u); // sixteen ended lines
    EXPECT_EQ(lines.back(), "");
    EXPECT_EQ(lines[0], "Windows Registry Editor Version 5.00\r");
    EXPECT_EQ(lines[1], "\r");
    EXPECT_EQ(lines[3], "\"Driver\"=\"C:\\\\Windows\\\\system32\\\\odbcjt32.dll\"\r");
    EXPECT_EQ(lines[4], "\"DBQ\"=\"D:\\\\Tools\\\\Waybill\\\\dataM\\\\Dorvane.dorv\"\r");
    EXPECT_EQ(lines[5], "\"DefaultDir\"=\"D:\\\\Tools\\\\Waybill\"\r");
    EXPECT_EQ(lines[15], "\"UserCommitSync\"=\"Yes\"\r");
}
