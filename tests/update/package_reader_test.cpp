// Unpacking database packages: safe target names, folders, attributes, time stamps, damaged
// and oversized archives.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "db/text.h"
#include "test_files.h"
#include "update/package_reader.h"
#include "update_support.h"

namespace zelvan {
namespace {

using test::TempDir;
using test::ZipEntry;

namespace fs = std::filesystem;

constexpr unsigned long kUnix = 3 << 8 | 20;

std::int64_t fileTime(std::int64_t unixSeconds) {
    return unixSeconds * 10000000LL + kFileTimeUnixEpoch;
}

TEST(EntryNames, StrippingRulesAndContainment) {
    struct Case {
        std::u16string stored;
        std::u16string stripped;
        std::string path;  // "" = refused
    } cases[] = {
        {u"C:\\x.dat", u"x.dat", "x.dat"},
        {u"/a/b", u"a/b", "a/b"},
        {u"a/../b", u"b", "b"},
        {u"a\\..\\b", u"b", "b"},
        {u"\\Windows\\x.dat", u"Windows\\x.dat", "Windows/x.dat"},
        {u"C:/\\/x", u"x", "x"},
        {u"x/y/../../z", u"../z", ""},  // the rules leave a leading ".." behind
        {u"C:/../x", u"../x", ""},
        {u"..", u"..", ""},
        {u"a/b/..", u"a/b/..", ""},
        {u"C:", u"", ""},
        {u"a/./b//c", u"a/./b//c", "a/b/c"},
        {u"./", u"./", ""},
    };
    for (const Case& c : cases) {
        std::u16string stripped = stripEntryName(c.stored);
        EXPECT_EQ(stripped, c.stripped) << toUtf8(c.stored);
        EXPECT_EQ(containedPath(stripped), c.path) << toUtf8(c.stored);
    }
}

TEST(Extract, EntriesLandInsideTheFolderWithTheirSubfolders) {
    TempDir dir;
    fs::path package = dir / "p.zip";
    ZipEntry folder{"dir/", ""};
    folder.madeBy = kUnix;
    folder.externalAttributes = (040755ul << 16) | 0x10;
    ASSERT_TRUE(test::writeZip(package, {{"sub/T0.dat", "t0"},
                                         {"../up.txt", "x"},
                                         {"a/../../up2.txt", "x"},
                                         {"/abs.txt", "abs"},
                                         {"D:\\win\\drive.txt", "drive"},
                                         folder}));
    fs::path target = dir / "data";
    ExtractSummary summary = extractPackage(fromUtf8(package.string()), fromUtf8(target.string()));
    EXPECT_EQ(summary.code, kPackageOk);
    EXPECT_EQ(summary.entries, 6);
    EXPECT_EQ(summary.written, 4);
    EXPECT_EQ(summary.skipped, 2);
    EXPECT_EQ(test::readBytes(target / "sub/T0.dat"), "t0");
    EXPECT_EQ(test::readBytes(target / "abs.txt"), "abs");
    EXPECT_EQ(test::readBytes(target / "win/drive.txt"), "drive");
    EXPECT_TRUE(fs::is_directory(target / "dir"));
    EXPECT_FALSE(fs::exists(dir / "up.txt"));
    EXPECT_FALSE(fs::exists(dir / "up2.txt"));
}

TEST(Extract, LinksAreNeverWrittenThrough) {
    TempDir dir;
    TempDir outside;
    fs::path target = dir / "data";
    fs::create_directories(target);
    fs::create_directory_symlink(outside.path(), target / "link");
    test::writeBytes(outside / "victim.dat", "keep");
    fs::create_symlink(outside / "victim.dat", target / "T0.dat");
    test::writeBytes(outside / "linked.dat", "keep");
    fs::create_hard_link(outside / "linked.dat", target / "T1.dat");
    fs::path package = dir / "p.zip";
    ASSERT_TRUE(
        test::writeZip(package, {{"link/x.dat", "x"}, {"T0.dat", "overwrite"}, {"T1.dat", "new"}}));

    ExtractSummary summary = extractPackage(fromUtf8(package.string()), fromUtf8(target.string()));
    EXPECT_EQ(summary.skipped, 2);
    EXPECT_EQ(summary.written, 1);
    EXPECT_EQ(summary.code, kPackageOk);
    EXPECT_FALSE(fs::exists(outside / "x.dat"));
    EXPECT_EQ(test::readBytes(outside / "victim.dat"), "keep");
    // A hard link is replaced, not written through.
    EXPECT_EQ(test::readBytes(target / "T1.dat"), "new");
    EXPECT_EQ(test::readBytes(outside / "linked.dat"), "keep");
}

TEST(Extract, ReadOnlyBitBecomesFilePermissions) {
    TempDir dir;
    ZipEntry dosReadOnly{"dos-ro", "a"};
    dosReadOnly.externalAttributes = 0x21;
    ZipEntry dosWritable{"dos-rw", "a"};
    ZipEntry unixReadOnly{"unix-ro", "a"};
    unixReadOnly.madeBy = kUnix;
    unixReadOnly.externalAttributes = 0100444ul << 16;
    ZipEntry unixWritable{"unix-rw", "a"};
    unixWritable.madeBy = kUnix;
    unixWritable.externalAttributes = 0100644ul << 16;
    fs::path package = dir / "p.zip";
    ASSERT_TRUE(test::writeZip(package, {dosReadOnly, dosWritable, unixReadOnly, unixWritable}));

    auto reader = PackageReader::open(fromUtf8(package.string()));
    ASSERT_TRUE(reader);
    PackageEntry entry;
    ASSERT_EQ(reader->describe(2, entry), kPackageOk);
    EXPECT_EQ(entry.attributes, kAttrReadOnly | kAttrArchive);
    ASSERT_EQ(reader->describe(0, entry), kPackageOk);
    EXPECT_EQ(entry.attributes, kAttrReadOnly | kAttrArchive);
    reader.reset();

    fs::path target = dir / "data";
    ASSERT_EQ(extractPackage(fromUtf8(package.string()), fromUtf8(target.string())).written, 4);
    for (const char* name : {"dos-ro", "dos-rw", "unix-ro", "unix-rw"}) {
        struct stat st;
        ASSERT_EQ(::stat((target / name).c_str(), &st), 0);
        bool readOnly = std::string(name).ends_with("ro");
        EXPECT_EQ((st.st_mode & 0222) == 0, readOnly) << name;
        EXPECT_NE(st.st_mode & 0444, 0u) << name;
    }
    // Unpacking again over the read-only files replaces them.
    EXPECT_EQ(extractPackage(fromUtf8(package.string()), fromUtf8(target.string())).code,
              kPackageOk);
}

TEST(Extract, TimeStampsFromDosDateAndExtendedBlock) {
    std::tm local{};
    local.tm_year = 117;  // 2017-09-01 00:00:00 local time, the entries' DOS date
    local.tm_mon = 8;
    local.tm_mday = 1;
    local.tm_isdst = -1;
    const std::int64_t dos = static_cast<std::int64_t>(std::mktime(&local));
    const std::int32_t modify = 1300000000;
    const std::int32_t access = 1400000000;
    const std::int32_t create = 1500000000;
    const std::string otherBlock("\x0A\x00\x04\x00\x01\x02\x03\x04", 8);

    struct Case {
        const char* what;
        std::string extra;
        std::int64_t modify, access, create;
    } cases[] = {
        {"no extra field", "", dos, dos, dos},
        {"modification only", test::extendedTimeBlock(1, {modify}), modify, dos, dos},
        {"all three", test::extendedTimeBlock(7, {modify, access, create}), modify, access, create},
        {"after another block", otherBlock + test::extendedTimeBlock(2, {access}), dos, access,
         dos},
        {"block shorter than its flags", test::extendedTimeBlock(7, {modify}), modify, dos, dos},
        {"negative time", test::extendedTimeBlock(1, {-86400}), -86400, dos, dos},
    };
    TempDir dir;
    for (const Case& c : cases) {
        ZipEntry e{"f.dat", "data"};
        e.localExtra = c.extra;
        fs::path package = dir / "p.zip";
        ASSERT_TRUE(test::writeZip(package, {e}));
        auto reader = PackageReader::open(fromUtf8(package.string()));
        ASSERT_TRUE(reader);
        PackageEntry entry;
        ASSERT_EQ(reader->describe(0, entry), kPackageOk) << c.what;
        EXPECT_EQ(entry.modifyTime, fileTime(c.modify)) << c.what;
        EXPECT_EQ(entry.accessTime, fileTime(c.access)) << c.what;
        EXPECT_EQ(entry.createTime, fileTime(c.create)) << c.what;

        fs::path target = dir / "data";
        ASSERT_EQ(reader->extract(0, fromUtf8(target.string())), kPackageOk) << c.what;
        struct stat st;
        ASSERT_EQ(::stat((target / "f.dat").c_str(), &st), 0);
        EXPECT_EQ(st.st_mtime, c.modify) << c.what;
        EXPECT_EQ(st.st_atime, c.access) << c.what;
    }
}

TEST(Extract, EmptyDamagedAndMissingPackages) {
    TempDir dir;
    fs::path target = dir / "data";
    ASSERT_TRUE(test::writeZip(dir / "empty.zip", {}));
    ExtractSummary empty =
        extractPackage(fromUtf8((dir / "empty.zip").string()), fromUtf8(target.string()));
    // minizip does not open an archive without entries; either way nothing is written.
    EXPECT_EQ(empty.entries, 0);
    EXPECT_EQ(empty.written, 0);
    EXPECT_FALSE(fs::exists(target));

    test::writeBytes(dir / "junk.zip", "PK\x03\x04 but nothing else");
    EXPECT_EQ(extractPackage(fromUtf8((dir / "junk.zip").string()), fromUtf8(target.string())).code,
              kPackageCannotOpen);
    EXPECT_EQ(extractPackage(fromUtf8((dir / "none.zip").string()), fromUtf8(target.string())).code,
              kPackageCannotOpen);
    EXPECT_FALSE(PackageReader::open(fromUtf8(dir.path().string())));  // a folder
    EXPECT_EQ(extractPackage(u"", fromUtf8(target.string())).code, kPackageBadArgument);

    // Damaged stored data: the checksum fails and no file is left behind.
    ZipEntry stored{"a.dat", "0123456789abcdef"};
    stored.deflate = false;
    ASSERT_TRUE(test::writeZip(dir / "bad.zip", {stored, {"b.dat", "fine"}}));
    std::string bytes = test::readBytes(dir / "bad.zip");
    bytes[bytes.find("0123456789")] = 'X';
    test::writeBytes(dir / "bad.zip", bytes);
    ExtractSummary bad =
        extractPackage(fromUtf8((dir / "bad.zip").string()), fromUtf8(target.string()));
    EXPECT_EQ(bad.code, kPackageDataError);
    EXPECT_EQ(bad.failed, 1);
    EXPECT_EQ(bad.written, 1);  // a failing entry does not stop the others
    EXPECT_FALSE(fs::exists(target / "a.dat"));
    EXPECT_EQ(test::readBytes(target / "b.dat"), "fine");
}

TEST(Extract, EncryptedEntriesAreRefused) {
    TempDir dir;
    ASSERT_TRUE(test::writeZip(dir / "p.zip", {{"secret.dat", "data"}}));
    std::string bytes = test::readBytes(dir / "p.zip");
    // Set the "encrypted" flag in the local header and in the directory record.
    bytes[bytes.find("PK\x03\x04") + 6] |= 1;
    bytes[bytes.find("PK\x01\x02") + 8] |= 1;
    test::writeBytes(dir / "p.zip", bytes);
    auto reader = PackageReader::open(fromUtf8((dir / "p.zip").string()));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->extract(0, fromUtf8((dir / "data").string())), kPackageEncrypted);
    EXPECT_FALSE(fs::exists(dir / "data/secret.dat"));
}

TEST(Extract, SizeLimitsRefuseBeforeWritingAndWhileInflating) {
    TempDir dir;
    fs::path package = dir / "bomb.zip";
    ASSERT_TRUE(
        test::writeZip(package, {{"small.dat", "x"}, {"zeros.dat", std::string(1 << 20, '\0')}}));
    fs::path target = dir / "data";
    // 1 MiB of zeros deflates about a thousandfold: over 100 times the package.
    ExtractSummary bomb = extractPackage(fromUtf8(package.string()), fromUtf8(target.string()));
    EXPECT_EQ(bomb.code, kPackageTooLarge);
    EXPECT_EQ(bomb.written, 0);
    EXPECT_FALSE(fs::exists(target / "small.dat"));

    UnpackLimits tight;
    tight.maxTotalBytes = 1000;
    tight.maxRatio = 0;
    EXPECT_EQ(extractPackage(fromUtf8(package.string()), fromUtf8(target.string()), tight).code,
              kPackageTooLarge);
    UnpackLimits few;
    few.maxEntries = 1;
    few.maxRatio = 0;
    EXPECT_EQ(extractPackage(fromUtf8(package.string()), fromUtf8(target.string()), few).code,
              kPackageTooLarge);

    // The bytes actually produced are counted too, whatever the directory says.
    auto reader = PackageReader::open(fromUtf8(package.string()));
    ASSERT_TRUE(reader);
    reader->setByteBudget(100000);
    EXPECT_EQ(reader->extract(0, fromUtf8(target.string())), kPackageOk);
    EXPECT_EQ(reader->extract(1, fromUtf8(target.string())), kPackageTooLarge);
    EXPECT_FALSE(fs::exists(target / "zeros.dat"));
}

TEST(PackageReader, SummaryCacheOrderAndBadArguments) {
    TempDir dir;
    fs::path package = dir / "p.zip";
    ASSERT_TRUE(test::writeZip(package, {{"a", "1"}, {"b", "22"}, {"c", "333"}}));
    auto reader = PackageReader::open(fromUtf8(package.string()));
    ASSERT_TRUE(reader);
    PackageEntry entry;
    ASSERT_EQ(reader->describe(-1, entry), kPackageOk);
    EXPECT_EQ(entry.index, 3);
    EXPECT_TRUE(entry.name.empty());
    // Out of order, and twice in a row.
    for (int i : {2, 0, 1, 1, 2}) {
        ASSERT_EQ(reader->describe(i, entry), kPackageOk);
        EXPECT_EQ(entry.index, i);
        EXPECT_EQ(entry.uncompressedSize, static_cast<std::uint64_t>(i + 1));
    }
    // The cached description must not make extract read another entry's data.
    std::uint64_t total = 0;
    ASSERT_EQ(reader->declaredSize(total), kPackageOk);
    EXPECT_EQ(total, 6u);
    ASSERT_EQ(reader->extract(2, fromUtf8((dir / "out").string())), kPackageOk);
    EXPECT_EQ(test::readBytes(dir / "out/c"), "333");

    EXPECT_EQ(reader->describe(3, entry), kPackageBadArgument);
    EXPECT_EQ(reader->describe(-2, entry), kPackageBadArgument);
    reader->close();
    EXPECT_EQ(reader->describe(0, entry), kPackageBadArgument);
    EXPECT_EQ(reader->extract(0, fromUtf8((dir / "out").string())), kPackageBadArgument);
}

}  // namespace
}  // namespace zelvan
