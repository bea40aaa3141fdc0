// The pinyin of station names: how a name is cut into the words of the list, which readings are
// kept, and the pinyin.txt a build writes and drops.
#include <gtest/gtest.h>

#include <filesystem>

#include "compiler/compiler_p.h"
#include "compiler/timetable_source.h"
#include "test_files.h"

namespace zelvan::test {
namespace {

using compiler::PinyinDictionary;

// A few lines in the word list's format: header, words, single characters, weights.
const char* const kWords =
    "# comment\n"
    "---\n"
    "name: test\n"
    "...\n"
    "\n"
    "长\tzhang\t9175\n"
    "长\tchang\t13911\n"
    "沙\tsha\t500\n"
    "南\tnan\t7350\n"
    "长沙\tchang sha\t3931\n"
    "重\tzhong\t6392\n"
    "重\tchong\t4543\n"
    "六\tliu\t900\n"
    "盘\tpan\t90\n"
    "水\tshui\t900\n"
    "六盘水\tliu pan shui\t10\n"
    "六盘水\tlu pan shui\t5\n"
    "坏\tBad Code\t1\n"
    "无\twu\n";

std::vector<std::string> readings(const std::u16string& name) {
    PinyinDictionary dictionary;
    dictionary.add(kWords);
    return dictionary.readingsOf(name);
}

TEST(PinyinDictionary, WholeWordsBeforeCharactersAndEveryReadingKept) {
    // The word fixes the polyphonic character; the rest comes from single characters.
    EXPECT_EQ(readings(u"长沙南"), (std::vector<std::string>{"chang sha nan"}));
    // A character outside any word keeps all its readings, the most used first.
    EXPECT_EQ(readings(u"长南"), (std::vector<std::string>{"chang nan", "zhang nan"}));
    EXPECT_EQ(readings(u"重南"), (std::vector<std::string>{"zhong nan", "chong nan"}));
    // A word with two readings keeps both.
    EXPECT_EQ(readings(u"六盘水南"),
              (std::vector<std::string>{"liu pan shui nan", "lu pan shui nan"}));
    // ASCII letters stand for themselves; a weightless line counts; a malformed one does not.
    EXPECT_EQ(readings(u"A无"), (std::vector<std::string>{"a wu"}));
    EXPECT_TRUE(readings(u"坏").empty());
    // A character the list does not know leaves the whole name without pinyin.
    EXPECT_TRUE(readings(u"长沙站").empty());
    EXPECT_TRUE(readings(u"").empty());
}

TEST(PinyinDictionary, CombinationsAreCapped) {
    // Ten characters of two readings each would make 1024 readings.
    PinyinDictionary dictionary;
    dictionary.add("甲\tjia\t2\n甲\tga\t1\n");
    std::vector<std::string> all = dictionary.readingsOf(std::u16string(10, u'甲'));
    EXPECT_EQ(all.size(), 16u);
    EXPECT_EQ(all.front(), "jia jia jia jia jia jia jia jia jia jia");
}

// The Debian word list itself, where it is installed (tools/deps.sh installs it).
TEST(PinyinDictionary, InstalledWordListReadsPolyphonicPlaceNames) {
    const std::filesystem::path list = defaultPinyinDictionary();
    if (!std::filesystem::exists(list)) GTEST_SKIP() << list << " is not installed";
    PinyinDictionary dictionary;
    std::string error;
    ASSERT_TRUE(dictionary.read(list, error)) << error;
    EXPECT_EQ(dictionary.readingsOf(u"长沙南").front(), "chang sha nan");
    EXPECT_EQ(dictionary.readingsOf(u"重庆北").front(), "chong qing bei");
    EXPECT_EQ(dictionary.readingsOf(u"厦门北").front(), "xia men bei");
    EXPECT_EQ(dictionary.readingsOf(u"蚌埠南").front(), "beng bu nan");
    EXPECT_EQ(dictionary.readingsOf(u"莘庄").front(), "xin zhuang");
}

TEST(PinyinFile, WrittenWithTheWordListAndDroppedWithout) {
    TempDir words;
    writeBytes(words / "words.yaml", kWords);
    TempDir source;
    writeBytes(source / "stations.tsv", "name\ttrains\n长沙\t*\n长沙南\t*\n长沙\t*\n火站\t*\n");
    writeBytes(source / "trains.tsv", "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n");
    writeBytes(source / "stops.tsv", "train\tstation\tarrival\tdwell\tkm\n");
    TempDir data;
    std::string error;
    CompileOptions options;
    options.pinyinDictionary = words / "words.yaml";
    ASSERT_TRUE(compileTimetable(source.path(), data.path(), error, options)) << error;
    // Each name once, in station order; a name the list cannot read has no line.
    EXPECT_EQ(readBytes(data / "pinyin.txt"), "长沙\tchang sha\n长沙南\tchang sha nan\n");

    // A missing list: required fails and leaves the folder as it was, else the file goes.
    options.pinyinDictionary = words / "missing.yaml";
    options.pinyinRequired = true;
    EXPECT_FALSE(compileTimetable(source.path(), data.path(), error, options));
    EXPECT_NE(error.find("missing.yaml"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(data / "pinyin.txt"));
    bool skipped = false;
    options.pinyinRequired = false;
    options.pinyinSkipped = &skipped;
    ASSERT_TRUE(compileTimetable(source.path(), data.path(), error, options)) << error;
    EXPECT_TRUE(skipped);
    EXPECT_FALSE(std::filesystem::exists(data / "pinyin.txt"));
    EXPECT_TRUE(std::filesystem::exists(data / "s.i"));
}

}  // namespace
}  // namespace zelvan::test
