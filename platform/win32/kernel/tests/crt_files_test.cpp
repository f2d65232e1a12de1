#include "temp_prefix.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class RuntimeFiles : public testing::Test {
protected:
    std::string Host(const std::string& name) const { return prefix.Root() + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(Host(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(Host(name), std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    // Everything a stream delivers with fgets, line by line.
    static std::string ReadLines(FILE* file) {
        std::string all;
        char line[64];
        while (std::fgets(line, sizeof line, file)) {
            all += line;
        }
        return all;
    }

    testsupport::TempPrefix prefix;
};

TEST_F(RuntimeFiles, TextModeWritesEveryLineFeedAsCrLf) {
    FILE* file = _wfopen(L"C:\\out.txt", L"w");
    ASSERT_NE(file, nullptr);
    std::fputs("one\ntwo\n", file);
    std::fprintf(file, "%d\n", 3);
    std::fwrite("\n\r\n", 1, 3, file);
    std::fputc('\n', file);
    EXPECT_EQ(std::fclose(file), 0);
    EXPECT_EQ(Read("out.txt"), "one\r\ntwo\r\n3\r\n\r\n\r\r\n\r\n");
}

TEST_F(RuntimeFiles, TextModeReadsCrLfBackAsLineFeedAndKeepsLoneCr) {
    Write("in.txt", "one\r\ntwo\rthree\n\r\n\r");
    FILE* file = _wfopen(L"C:\\in.txt", L"r");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadLines(file), "one\ntwo\rthree\n\n\r");
    std::fclose(file);
}

TEST_F(RuntimeFiles, CrLfSplitAcrossTheReadAheadStillBecomesOneLineFeed) {
    std::string bytes(65535, 'a');
    bytes += "\r\nb";
    Write("big.txt", bytes);
    FILE* file = _wfopen(L"C:\\big.txt", L"rt");
    ASSERT_NE(file, nullptr);
    std::string got(70000, '\0');
    got.resize(std::fread(got.data(), 1, got.size(), file));
    EXPECT_EQ(got, std::string(65535, 'a') + "\nb");
    std::fclose(file);
}

TEST_F(RuntimeFiles, TextModePositionsCountBytesOfTheFile) {
    Write("in.txt", "ab\r\ncd\r\nef");
    FILE* file = _wfopen(L"C:\\in.txt", L"r");
    ASSERT_NE(file, nullptr);
    char line[16];
    ASSERT_NE(std::fgets(line, sizeof line, file), nullptr);
    EXPECT_STREQ(line, "ab\n");
    EXPECT_EQ(std::ftell(file), 4);
    ASSERT_EQ(std::fseek(file, 0, SEEK_END), 0);
    EXPECT_EQ(std::ftell(file), 10);
    ASSERT_EQ(std::fseek(file, 4, SEEK_SET), 0);
    EXPECT_EQ(std::fgetc(file), 'c');
    ASSERT_EQ(std::fseek(file, 2, SEEK_CUR), 0);
    EXPECT_EQ(ReadLines(file), "\nef");
    std::fclose(file);
}

TEST_F(RuntimeFiles, UpdateAndAppendModesTranslateToo) {
    Write("log.txt", "first\r\n");
    FILE* file = _wfopen(L"C:\\log.txt", L"a+");
    ASSERT_NE(file, nullptr);
    std::fputs("second\n", file);
    std::rewind(file);
    EXPECT_EQ(ReadLines(file), "first\nsecond\n");
    std::fclose(file);
    EXPECT_EQ(Read("log.txt"), "first\r\nsecond\r\n");
}

TEST_F(RuntimeFiles, BinaryModePassesBytesThrough) {
    FILE* file = _wfopen(L"C:\\data.bin", L"wb");
    ASSERT_NE(file, nullptr);
    std::fwrite("a\nb\r\n\0c", 1, 7, file);
    std::fclose(file);
    EXPECT_EQ(Read("data.bin"), std::string("a\nb\r\n\0c", 7));

    file = _wfopen(L"C:\\data.bin", L"r+b");
    ASSERT_NE(file, nullptr);
    char bytes[8] = {};
    EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, file), 7u);
    EXPECT_EQ(std::memcmp(bytes, "a\nb\r\n\0c", 7), 0);
    std::fclose(file);
}

TEST_F(RuntimeFiles, FailedOpensSetErrnoAndTheLastError) {
    fs::create_directory(Host("folder"));
    Write("exists", "x");
    struct Case {
        const wchar_t* path;
        const wchar_t* mode;
        int err;
        DWORD error;
    };
    for (const Case& c : {Case{L"C:\\missing", L"r", ENOENT, ERROR_FILE_NOT_FOUND},
                          Case{L"C:\\nowhere\\a", L"w", ENOENT, ERROR_PATH_NOT_FOUND},
                          Case{L"D:\\a", L"r", ENOENT, ERROR_PATH_NOT_FOUND},
                          Case{L"C:\\folder", L"r", EACCES, ERROR_ACCESS_DENIED},
                          Case{L"C:\\folder", L"w", EACCES, ERROR_ACCESS_DENIED},
                          Case{L"C:\\exists", L"wx", EEXIST, ERROR_ALREADY_EXISTS},
                          Case{L"C:\\exists", L"q", EINVAL, ERROR_INVALID_PARAMETER},
                          Case{L"C:\\exists", L"rbt", EINVAL, ERROR_INVALID_PARAMETER},
                          Case{L"C:\\exists", L"r++", EINVAL, ERROR_INVALID_PARAMETER},
                          Case{L"C:\\exists", L"rx", EINVAL, ERROR_INVALID_PARAMETER},
                          Case{L"C:\\exists", L"r, ccs=UTF-8", EINVAL, ERROR_INVALID_PARAMETER},
                          Case{L"", L"r", EINVAL, ERROR_INVALID_PARAMETER}}) {
        errno = 0;
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(_wfopen(c.path, c.mode), nullptr) << c.path << " " << c.mode;
        EXPECT_EQ(errno, c.err) << c.path << " " << c.mode;
        EXPECT_EQ(GetLastError(), c.error) << c.path << " " << c.mode;
    }
    EXPECT_EQ(Read("exists"), "x");
}

TEST_F(RuntimeFiles, SecureFormsReturnTheErrorAndClearTheStream) {
    FILE* file = reinterpret_cast<FILE*>(0x1);
    EXPECT_EQ(_wfopen_s(&file, L"C:\\missing", L"r"), ENOENT);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(_wfopen_s(nullptr, L"C:\\missing", L"r"), EINVAL);

    file = reinterpret_cast<FILE*>(0x1);
    ASSERT_EQ(fopen_s(&file, "C:\\\xe6\x8a\xa5\xe5\x91\x8a.txt", "w"), 0); // UTF-8 ANSI code page
    ASSERT_NE(file, nullptr);
    std::fputs("x\n", file);
    std::fclose(file);
    EXPECT_EQ(Read("报告.txt"), "x\r\n");
}

TEST_F(RuntimeFiles, StatGivesSizeKindAndTimes) {
    Write("a.pdf", "12345");
    fs::create_directory(Host("folder"));
    struct _stat64i32 info;
    std::memset(&info, 0x7f, sizeof info);
    ASSERT_EQ(_wstat64i32(L"C:\\a.pdf", &info), 0);
    EXPECT_EQ(info.st_size, 5);
    EXPECT_EQ(info.st_mode & _S_IFMT, _S_IFREG);
    EXPECT_EQ(info.st_mode & 0777, 0666);
    EXPECT_EQ(info.st_dev, 2u);           // drive C:
    EXPECT_GT(info.st_mtime, 1577836800); // after 2020-01-01
    EXPECT_GT(info.st_ctime, 1577836800);

    ASSERT_EQ(_wstat64i32(L"C:\\folder", &info), 0);
    EXPECT_EQ(info.st_mode & _S_IFMT, _S_IFDIR);
    EXPECT_EQ(info.st_mode & 0777, 0777);
}

TEST_F(RuntimeFiles, StatFailsForMissingNamesAndWildcards) {
    Write("a.pdf", "x");
    struct _stat64i32 info;
    for (const wchar_t* path : {L"C:\\missing", L"C:\\a.*", L"C:\\nowhere\\a", L"D:\\a"}) {
        errno = 0;
        EXPECT_EQ(_wstat64i32(path, &info), -1) << path;
        EXPECT_EQ(errno, ENOENT) << path;
    }
}

TEST_F(RuntimeFiles, StatOfAFileOfTwoGibibytesOrMoreOverflows) {
    Write("fits.bin", ""); // grown sparsely: no disk space is used
    fs::resize_file(Host("fits.bin"), INT32_MAX);
    Write("big.bin", "");
    fs::resize_file(Host("big.bin"), uintmax_t{INT32_MAX} + 1);

    struct _stat64i32 info;
    ASSERT_EQ(_wstat64i32(L"C:\\fits.bin", &info), 0);
    EXPECT_EQ(info.st_size, INT32_MAX);
    errno = 0;
    EXPECT_EQ(_wstat64i32(L"C:\\big.bin", &info), -1);
    EXPECT_EQ(errno, EOVERFLOW);
}

} // namespace
