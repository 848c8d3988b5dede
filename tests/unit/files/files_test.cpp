#include "runtime/files/files.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace keyweave {
namespace {

using testing::TempFolder;
using Lines = std::vector<std::u16string>;

Lines Sorted(Lines names) {
    std::sort(names.begin(), names.end());
    return names;
}

class FilesTest : public ::testing::Test {
protected:
    // Every line of a file holding these bytes, read as a script or settings reader would.
    Lines ReadAll(const std::string& bytes) {
        folder.Write("lines.txt", bytes);
        StreamRef stream = OpenForReading(folder.Text(u"lines.txt"));
        EXPECT_NE(stream, nullptr);
        Lines lines;
        while (stream && !stream->Eof() && lines.size() <= bytes.size()) {
            lines.push_back(stream->ReadLine());
        }
        return lines;
    }

    TempFolder folder;
};

TEST_F(FilesTest, ListFolderGivesEveryEntryButTheDots) {
    folder.Write("a.ini", "");
    folder.Write("b.txt", "");
    std::filesystem::create_directory(folder.Path() / "sub");

    EXPECT_EQ(Sorted(ListFolder(folder.Text(), true)), (Lines{u"a.ini", u"b.txt", u"sub"}));
    EXPECT_EQ(Sorted(ListFolder(folder.Text(), false)),
              (Lines{u".", u"..", u"a.ini", u"b.txt", u"sub"}));
}

TEST_F(FilesTest, ListFolderAcceptsEitherSeparatorAndATrailingOne) {
    folder.Write("x.ini", "");
    Lines plain = ListFolder(folder.Text(), true);
    ASSERT_EQ(plain, Lines{u"x.ini"});
    EXPECT_EQ(ListFolder(folder.Text() + u"/", true), plain);
    EXPECT_EQ(ListFolder(folder.Text() + u"\\", true), plain);

    std::filesystem::create_directory(folder.Path() / "Scripts");
    folder.Write("Scripts/y.ini", "");
    EXPECT_EQ(ListFolder(folder.Text() + u"\\Scripts\\", true), Lines{u"y.ini"});
}

TEST_F(FilesTest, ListFolderOfNothingIsEmpty) {
    EXPECT_TRUE(ListFolder(folder.Text(u"missing"), true).empty());
    folder.Write("file.ini", "");
    EXPECT_TRUE(ListFolder(folder.Text(u"file.ini"), true).empty());
}

TEST_F(FilesTest, UnicodeNamesSurviveTheRoundTrip) {
    const std::u16string name = u"Makro \u00e4\u20ac\u0416.ini";
    folder.Write(std::filesystem::path(name), "line\n");

    ASSERT_EQ(ListFolder(folder.Text(), true), Lines{name});
    std::u16string path = folder.Text() + u"\\" + name;
    EXPECT_EQ(PathKind(path), 1);
    StreamRef stream = OpenForReading(path);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->ReadLine(), u"line");
}

TEST(PathExtensionTest, TakesTheTextAfterTheLastDotOfTheLastElement) {
    EXPECT_EQ(PathExtension(u"a.ini"), u"ini");
    EXPECT_EQ(PathExtension(u"Scripts\\Jump.INI"), u"INI");
    EXPECT_EQ(PathExtension(u"notes.ini.txt"), u"txt");
    EXPECT_EQ(PathExtension(u".hidden"), u"hidden");
    EXPECT_EQ(PathExtension(u"ends."), u"");
    EXPECT_EQ(PathExtension(u"plain"), u"");
    EXPECT_EQ(PathExtension(u"dir.d/plain"), u"");
    EXPECT_EQ(PathExtension(u"dir.d\\plain"), u"");
}

TEST_F(FilesTest, PathKindTellsFilesFromFoldersFromNothing) {
    folder.Write("file.ini", "x");
    std::filesystem::create_directory(folder.Path() / "sub.ini");

    EXPECT_EQ(PathKind(folder.Text(u"file.ini")), 1);
    EXPECT_EQ(PathKind(folder.Text() + u"\\file.ini"), 1);
    EXPECT_EQ(PathKind(folder.Text(u"sub.ini")), 2);
    EXPECT_EQ(PathKind(folder.Text(u"missing")), 0);
    EXPECT_EQ(PathKind(u""), 0);
}

TEST_F(FilesTest, LinesEndAtLineFeedsAndZeroBytesAndLoseTheirCarriageReturns) {
    EXPECT_EQ(ReadAll("one\r\ntwo\nthree"), (Lines{u"one", u"two", u"three"}));
    EXPECT_EQ(ReadAll("one\ntwo\n"), (Lines{u"one", u"two"}));
    EXPECT_EQ(ReadAll("one\r\ntwo\r\n"), (Lines{u"one", u"two"}));
    EXPECT_EQ(ReadAll("a\rb\r\r\n\rc"), (Lines{u"ab", u"c"}));
    EXPECT_EQ(ReadAll(std::string("a\0b", 3)), (Lines{u"a", u"b"}));
    EXPECT_EQ(ReadAll("\n\n"), (Lines{u"", u""}));
    EXPECT_EQ(ReadAll(""), Lines{});
}

TEST_F(FilesTest, EachByteIsOneCharacter) {
    EXPECT_EQ(ReadAll("caf\xc3\xa9\n"), Lines{u"caf\u00c3\u00a9"});
    EXPECT_EQ(ReadAll("\xef\xbb\xbf?kweaver\r\n"), Lines{u"\u00ef\u00bb\u00bf?kweaver"});
    EXPECT_EQ(ReadAll("\xff\x80\x01"), Lines{u"\u00ff\u0080\u0001"});
}

TEST_F(FilesTest, Utf16ReadsAsShortLines) {
    std::string bytes("\xff\xfe?\0k\0\r\0\n\0", 10);
    EXPECT_EQ(ReadAll(bytes), (Lines{u"\u00ff\u00fe?", u"k", u"", u"", u""}));
}

TEST_F(FilesTest, LongLinesAreReadWhole) {
    std::string longLine(5000, 'x');
    Lines lines = ReadAll(longLine + "\n" + longLine);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::u16string(5000, u'x'));
    EXPECT_EQ(lines[1], lines[0]);
}

TEST_F(FilesTest, AFileThatShrinksWhileReadEndsTheReading) {
    folder.Write("shrinks.txt", "abc\ndef\n");
    StreamRef stream = OpenForReading(folder.Text(u"shrinks.txt"));
    ASSERT_NE(stream, nullptr);
    std::filesystem::resize_file(folder.Path() / "shrinks.txt", 2);

    EXPECT_EQ(stream->ReadLine(), u"ab");
    EXPECT_EQ(stream->Eof(), 1);
    EXPECT_EQ(stream->Close(), 0);
}

TEST_F(FilesTest, OpenForReadingNeedsAnExistingFile) {
    std::filesystem::create_directory(folder.Path() / "sub");
    EXPECT_EQ(OpenForReading(folder.Text(u"missing")), nullptr);
    EXPECT_EQ(OpenForReading(folder.Text(u"sub")), nullptr);
}

TEST_F(FilesTest, WriteLineWritesLowBytesAndCrLf) {
    folder.Write("out.txt", "old contents that must go");
    StreamRef stream = OpenForWriting(folder.Text() + u"\\out.txt");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Eof(), 1);

    EXPECT_EQ(stream->WriteLine(u"KEY_F1 \u0141\u00e9"), 1);
    EXPECT_EQ(stream->WriteLine(u""), 1);
    EXPECT_EQ(stream->Close(), 1);
    EXPECT_EQ(stream->Close(), 1);
    EXPECT_EQ(folder.Read("out.txt"), "KEY_F1 A\xe9\r\n\r\n");
}

TEST_F(FilesTest, WritingToAReadStreamFails) {
    folder.Write("in.txt", "x\n");
    StreamRef stream = OpenForReading(folder.Text(u"in.txt"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->WriteLine(u"y"), 0);
    EXPECT_EQ(stream->Close(), 0);
    EXPECT_EQ(folder.Read("in.txt"), "x\n");
}

TEST_F(FilesTest, OpenForWritingFailsWhereNoFileCanBe) {
    EXPECT_EQ(OpenForWriting(folder.Text(u"missing\\out.txt")), nullptr);
    EXPECT_EQ(OpenForWriting(folder.Text()), nullptr);
}

TEST_F(FilesTest, ReplaceFileRenamesOverAnExistingFile) {
    folder.Write("settings.tmp", "new");
    folder.Write("settings.ini", "old");

    EXPECT_TRUE(ReplaceFile(folder.Text(u"settings.tmp"), folder.Text() + u"\\settings.ini"));
    EXPECT_EQ(folder.Read("settings.ini"), "new");
    EXPECT_EQ(PathKind(folder.Text(u"settings.tmp")), 0);
    EXPECT_FALSE(ReplaceFile(folder.Text(u"settings.tmp"), folder.Text(u"settings.ini")));
    EXPECT_EQ(folder.Read("settings.ini"), "new");
}

TEST_F(FilesTest, RemoveFileRemovesFilesOnly) {
    folder.Write("gone.tmp", "x");
    std::filesystem::create_directory(folder.Path() / "sub");

    EXPECT_TRUE(RemoveFile(folder.Text(u"gone.tmp")));
    EXPECT_EQ(PathKind(folder.Text(u"gone.tmp")), 0);
    EXPECT_FALSE(RemoveFile(folder.Text(u"gone.tmp")));
    EXPECT_FALSE(RemoveFile(folder.Text(u"sub")));
    EXPECT_EQ(PathKind(folder.Text(u"sub")), 2);
}

TEST_F(FilesTest, WholeFilesAreReadAndWrittenByteForByte) {
    const std::string bytes("a\r\n\0\xFF\n", 6);
    EXPECT_TRUE(WriteFileBytes(folder.Text(u"bytes.bin"), bytes));
    EXPECT_EQ(ReadFileBytes(folder.Text(u"bytes.bin")), bytes);
    EXPECT_EQ(ReadFileBytes(folder.Text(u"missing.bin")), std::nullopt);
    EXPECT_EQ(ReadFileBytes(folder.Text()), std::nullopt);
    EXPECT_FALSE(WriteFileBytes(folder.Text(), bytes));
}

TEST_F(FilesTest, LinksAreFollowedToWhereTheyEndAndCountAsTakenEvenDangling) {
    folder.Write("file.ini", "");
    std::error_code error;
    std::filesystem::create_symlink("middle.ini", folder.Path() / "first.ini", error);
    std::filesystem::create_symlink("sub/last.ini", folder.Path() / "middle.ini", error);
    std::filesystem::create_symlink("loop.ini", folder.Path() / "loop.ini", error);
    if (error) {
        GTEST_SKIP() << "this file system makes no symbolic links";
    }
    EXPECT_EQ(LinkTarget(folder.Text(u"file.ini")), folder.Text(u"file.ini"));
    EXPECT_EQ(LinkTarget(folder.Text(u"none.ini")), folder.Text(u"none.ini"));
    EXPECT_EQ(LinkTarget(folder.Text(u"first.ini")), folder.Text(u"sub/last.ini"));
    EXPECT_EQ(LinkTarget(folder.Text(u"loop.ini")), u"");

    EXPECT_TRUE(PathTaken(folder.Text(u"file.ini")));
    EXPECT_TRUE(PathTaken(folder.Text(u"first.ini")));
    EXPECT_TRUE(PathTaken(folder.Text()));
    EXPECT_FALSE(PathTaken(folder.Text(u"none.ini")));
}

} // namespace
} // namespace keyweave
