#include "framework/Errors.h"
#include "framework/Stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace orlenth;

TEST(Errors, MessagesAreFilledInOrder) {
    EXPECT_EQ(EListError::indexOutOfBounds(-1).Message(), "List index out of bounds (-1)");
    EXPECT_EQ(EConvertError::cannotAssign("TWJKStringList", "TWJKStringListItem").Message(),
              "Cannot assign a TWJKStringList to a TWJKStringListItem");
    EXPECT_EQ(EFOpenError::forFile("/x/y.txt").Message(), "Cannot open file /x/y.txt");
    EXPECT_EQ(
        formatMessage(Msg::ErrorReading, {"Orlenth", ".", "Caption", "Invalid property value"}),
        "Error reading Orlenth.Caption: Invalid property value");
    EXPECT_EQ(EReadError().Message(), "Stream read error");
    EXPECT_EQ(EWriteError().Message(), "Stream write error");
    // Missing arguments leave the placeholder empty rather than failing.
    EXPECT_EQ(formatMessage(Msg::ClassNotFound), "Class  not found");
}

// Names from streams and files reach terminals and message boxes: their control bytes
// show as escapes, the rest (GBK and UTF-8 included) as it is.
TEST(Errors, ControlBytesInArgumentsAreEscaped) {
    EXPECT_EQ(formatMessage(Msg::ClassNotFound, {"T\x1B[2J\x7Fx\r\n"}),
              "Class T\\x1B[2J\\x7Fx\\x0D\\x0A not found");
    EXPECT_EQ(formatMessage(Msg::FOpenError, {"\xD6\xD0\xE4\xB8\xAD.txt"}),
              "Cannot open file \xD6\xD0\xE4\xB8\xAD.txt");
    EXPECT_EQ(EscapeControls(EscapeControls(std::string_view("a\0b", 3))), "a\\x00b");
}

TEST(MemoryStream, ReadsWritesAndSeeks) {
    TMemoryStream m;
    m.WriteExact("abcdef", 6);
    EXPECT_EQ(m.Position(), 6);
    m.SetPosition(2);
    char buf[8] = {};
    EXPECT_EQ(m.Read(buf, 8), 4);
    EXPECT_STREQ(buf, "cdef");
    EXPECT_EQ(m.Read(buf, 8), 0);
    // A gap left by seeking past the end reads as zeros.
    m.SetPosition(8);
    m.WriteExact("z", 1);
    EXPECT_EQ(m.Size(), 9);
    EXPECT_EQ(m.Memory()[6], 0);
    EXPECT_EQ(m.Seek(-100, TStream::Origin::Current), 0);
    m.SetSize(3);
    EXPECT_EQ(m.Size(), 3);
    EXPECT_EQ(m.Remaining(), 3);
}

TEST(MemoryStream, ExactTransfersFailWithTheFixedMessages) {
    TMemoryStream m("abc", 3);
    char buf[4];
    EXPECT_THROW(m.ReadExact(buf, 4), EReadError);
    m.SetPosition(0);
    EXPECT_NO_THROW(m.ReadExact(buf, 0));
    EXPECT_NO_THROW(m.ReadExact(buf, 3));
    EXPECT_EQ(std::string(buf, 3), "abc");
}

TEST(FileStream, ReadsWholeFilesAndNamesWhatCannotBeOpened) {
    const auto dir = std::filesystem::temp_directory_path() / "orlenth-stream-test";
    std::filesystem::create_directories(dir);
    const auto file = dir / "a.txt";
    std::ofstream(file, std::ios::binary) << "hello\r\n";
    const auto bytes = ReadWholeFile(file.string());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "hello\r\n");
    try {
        ReadWholeFile((dir / "missing.txt").string());
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + (dir / "missing.txt").string());
    }
    // A folder is not a file, whatever its name.
    std::filesystem::create_directories(dir / "folder.txt");
    EXPECT_THROW(ReadWholeFile((dir / "folder.txt").string()), EFOpenError);
    std::filesystem::remove_all(dir);
}
