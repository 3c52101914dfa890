#include <gtest/gtest.h>

#include "QelAppTestHome.h"
#include "QelEnvFile.h"

namespace {

constexpr char kTwoFilters[] = R"({"searchfilter": [
    {"name": "Docs", "filterfilename": [], "filterfileext": ["txt"], "filterdirname": []},
    {"name": "Code", "filterfilename": [], "filterfileext": ["cpp"], "filterdirname": []}]})";

std::vector<std::string> Names(const Json::Value& records, std::vector<int>* indexes = nullptr) {
    QelStringArray names;
    QelArray<int> found;
    qel::BuildNameList(records, names, found);
    if (indexes) indexes->assign(found.begin(), found.end());
    std::vector<std::string> out;
    for (const QelString& name : names) out.push_back(name.ToStdString());
    return out;
}

}  // namespace

TEST(QelEnvFile, FirstRunStartsEmptyAndWritesThreeArraysAndThePosition) {
    QelAppTestHome home;
    CQelJSONFileMng settings;
    const qel::QelEnvArrays arrays = qel::LoadEnvironment(settings);
    for (const Json::Value* array : {arrays.history, arrays.filters, arrays.jobs}) {
        ASSERT_NE(array, nullptr);
        EXPECT_TRUE(array->isArray());
        EXPECT_EQ(array->size(), 0u);
    }
    qel::QelWindowRect rect;
    EXPECT_FALSE(qel::ReadLastPosition(settings, rect));

    qel::StoreLastPosition(settings, {10, 20, 410, 320});
    ASSERT_TRUE(qel::SaveEnvironment(settings));
    const Json::Value saved = home.ReadUserEnv();
    EXPECT_EQ(saved.getMemberNames(),
              (std::vector<std::string>{"aftersearchjob", "applastpos", "searchfilter", "searchpathhistory"}));
    for (const char* key : {"aftersearchjob", "searchfilter", "searchpathhistory"}) {
        EXPECT_TRUE(saved[key].isArray()) << key;
        EXPECT_EQ(saved[key].size(), 0u) << key;
    }
    EXPECT_EQ(saved["applastpos"]["left"].asInt(), 10);
    EXPECT_EQ(saved["applastpos"]["top"].asInt(), 20);
    EXPECT_EQ(saved["applastpos"]["right"].asInt(), 410);
    EXPECT_EQ(saved["applastpos"]["bottom"].asInt(), 320);
}

TEST(QelEnvFile, ConfigFiltersServeEveryRunUntilTheUserChangesThem) {
    QelAppTestHome home;
    home.WriteConfigEnv(kTwoFilters);
    {
        CQelJSONFileMng settings;
        const qel::QelEnvArrays arrays = qel::LoadEnvironment(settings);
        EXPECT_EQ(arrays.filters, &settings.ConfigTree()["searchfilter"]);
        EXPECT_EQ(Names(*arrays.filters), (std::vector<std::string>{"Docs", "Code"}));
        ASSERT_TRUE(qel::SaveEnvironment(settings));
    }
    EXPECT_TRUE(home.ReadUserEnv()["searchfilter"].isNull());  // looked up, never copied
    {
        CQelJSONFileMng settings;
        const qel::QelEnvArrays arrays = qel::LoadEnvironment(settings);
        EXPECT_EQ(Names(*arrays.filters), (std::vector<std::string>{"Docs", "Code"}));

        // The first change copies the whole array into the user tree.
        Json::Value changed = *arrays.filters;
        changed.removeIndex(0, nullptr);
        Json::Value* inUse = qel::WriteBackArray(settings, qel::kEnvFilterKey, changed);
        EXPECT_EQ(inUse, &settings.UserTree()["searchfilter"]);
        ASSERT_TRUE(qel::SaveEnvironment(settings));
    }
    CQelJSONFileMng settings;
    EXPECT_EQ(Names(*qel::LoadEnvironment(settings).filters), (std::vector<std::string>{"Code"}));
}

TEST(QelEnvFile, UserArraysComeBeforeConfigArrays) {
    QelAppTestHome home;
    home.WriteConfigEnv(kTwoFilters);
    home.WriteUserEnv(R"({"searchfilter": [{"name": "Mine"}], "searchpathhistory": [{"path": "/x"}]})");
    CQelJSONFileMng settings;
    const qel::QelEnvArrays arrays = qel::LoadEnvironment(settings);
    EXPECT_EQ(Names(*arrays.filters), (std::vector<std::string>{"Mine"}));
    EXPECT_EQ(arrays.history->size(), 1u);
    EXPECT_EQ(arrays.jobs->size(), 0u);
    EXPECT_EQ(arrays.jobs, &settings.UserTree()["aftersearchjob"]);
}

TEST(QelEnvFile, ValuesThatAreNotArraysAreNotUsedAsArrays) {
    QelAppTestHome home;
    home.WriteConfigEnv(kTwoFilters);
    home.WriteUserEnv(R"({"searchfilter": "oops", "aftersearchjob": {"name": "x"}, "searchpathhistory": 7})");
    CQelJSONFileMng settings;
    const qel::QelEnvArrays arrays = qel::LoadEnvironment(settings);
    EXPECT_EQ(Names(*arrays.filters), (std::vector<std::string>{"Docs", "Code"}));
    ASSERT_TRUE(arrays.jobs->isArray());
    EXPECT_EQ(arrays.jobs->size(), 0u);
    ASSERT_TRUE(arrays.history->isArray());
    EXPECT_EQ(arrays.history, &settings.UserTree()["searchpathhistory"]);
}

TEST(QelEnvFile, BrokenFileStartsWithEmptyArrays) {
    QelAppTestHome home;
    home.WriteUserEnv("{\"searchfilter\": [ {\"name\": ");
    CQelJSONFileMng settings;
    const qel::QelEnvArrays arrays = qel::LoadEnvironment(settings);
    EXPECT_TRUE(arrays.filters->isArray());
    EXPECT_TRUE(arrays.history->isArray());
    EXPECT_TRUE(arrays.jobs->isArray());
}

TEST(QelEnvFile, NameListSkipsRecordsWithoutANameAndKeepsTheirIndexes) {
    Json::Value records;
    ASSERT_TRUE(Json::Reader().parse(
        R"([{"name": "A"}, {"filterfileext": ["x"]}, "junk", {"name": 5}, {"name": "B"}, {"name": ""}])", records));
    std::vector<int> indexes;
    EXPECT_EQ(Names(records, &indexes), (std::vector<std::string>{"A", "B", ""}));
    EXPECT_EQ(indexes, (std::vector<int>{0, 4, 5}));
    EXPECT_TRUE(Names(Json::Value("not a list")).empty());
}

TEST(QelEnvFile, WriteBackOfTheUserArrayItselfKeepsIt) {
    QelAppTestHome home;
    CQelJSONFileMng settings;
    qel::QelEnvArrays arrays = qel::LoadEnvironment(settings);
    arrays.history->append("entry");
    Json::Value* inUse = qel::WriteBackArray(settings, qel::kEnvHistoryKey, *arrays.history);
    EXPECT_EQ(inUse, arrays.history);
    EXPECT_EQ(inUse->size(), 1u);
}

TEST(QelEnvFile, LastPositionReadsUserThenConfigAndAllZerosIsNothing) {
    QelAppTestHome home;
    home.WriteConfigEnv(R"({"applastpos": {"left": 1, "top": 2, "right": 3, "bottom": 4}})");
    home.WriteUserEnv(R"({"applastpos": {"left": 100, "top": 50, "right": 600, "bottom": 350}})");
    {
        CQelJSONFileMng settings;
        qel::LoadEnvironment(settings);
        qel::QelWindowRect rect;
        ASSERT_TRUE(qel::ReadLastPosition(settings, rect));
        EXPECT_EQ(rect.left, 100);
        EXPECT_EQ(rect.top, 50);
        EXPECT_EQ(rect.right, 600);
        EXPECT_EQ(rect.bottom, 350);
    }
    home.WriteUserEnv(R"({"applastpos": {"left": 0, "top": 0, "right": 0, "bottom": 0}})");
    home.WriteConfigEnv("{}");
    CQelJSONFileMng settings;
    qel::LoadEnvironment(settings);
    qel::QelWindowRect rect;
    EXPECT_FALSE(qel::ReadLastPosition(settings, rect));
}

TEST(QelEnvFile, SaveReportsAFileThatCannotBeWritten) {
    QelAppTestHome home;
    home.WriteFile("user", "a file where the user folder belongs");
    CQelJSONFileMng settings;
    qel::LoadEnvironment(settings);
    EXPECT_FALSE(qel::SaveEnvironment(settings));
}
