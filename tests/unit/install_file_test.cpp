// The install file record: every path it joins must fit 260 characters with its terminator, or the record
// stays unresolved (the program's folder is this test program's); paths compared in any ASCII case.
#include <gtest/gtest.h>

#include "config/install_file.h"
#include "harness.h"

namespace {

using namespace harness;

TEST(InstallFile, JoinedPathsFitTheLimitOrLeaveTheRecordUnresolved)
{
    char path[PathCapacity];
    std::string dir(path, GetModuleFileNameA(nullptr, path, PathCapacity));
    dir.resize(dir.rfind('\\'));
    const std::string existing = dir + "\\n";  // the target rows' source, made to exist
    ASSERT_TRUE(WriteBytes(existing, "source"));
    const int program = static_cast<int>(dir.size()), system = static_cast<int>(kSystemDir.size());
    const struct { const char* what; int nameLength, subdirectoryLength, available; size_t sourceLength, targetLength;
    } rows[] = {  // subdirectory -1: none; available 1: the source counts as there; a length of 0: not resolved
        {"source of 259 characters", 258 - program, -1, 0, 259, size_t(system + 259 - program)},
        {"source of 260 characters", 259 - program, -1, 0, 0, 0},
        {"target of 259 characters", 1, 256 - system, 1, size_t(program + 2), 259},
        {"target of 260 characters", 1, 257 - system, 0, size_t(program + 2), 0},
        {"name of 260 characters", 260, -1, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string name(row.nameLength, 'n'), subdirectory(std::max(row.subdirectoryLength, 0), 'd');
        const InstallFile record(name.c_str(), row.subdirectoryLength < 0 ? nullptr : subdirectory.c_str());
        EXPECT_EQ(strlen(record.SourcePath()), row.sourceLength);
        EXPECT_EQ(strlen(record.TargetPath()), row.targetLength);
        EXPECT_EQ(record.SourceAvailable(), row.available);
    }
    DeleteFileA(existing.c_str());
}

TEST(InstallFile, LowerAsciiChangesOnlyTheCapitalsAToZ)
{
    char text[] = "C:\\@AZ[`az{\xC0\xC9\xDE";
    InstallFile::LowerAscii(text);
    EXPECT_STREQ(text, "c:\\@az[`az{\xC0\xC9\xDE");
}

}  // namespace
