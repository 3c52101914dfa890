// What the main window's tests cannot reach: the choice between user and
// config arrays when the files disagree or are broken, and the config tree's
// window position.

#include <gtest/gtest.h>

#include "QelAppTestHome.h"
#include "QelEnvFile.h"

TEST(QelEnvFile, ArraysInUseComeFromTheUserTreeThenTheConfigTreeAndAreArrays) {
    QelAppTestHome home;
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "Docs"}], "aftersearchjob": [{"name": "Job"}],
                            "applastpos": {"left": 1, "top": 2, "right": 3, "bottom": 4}})");
    home.WriteUserEnv(R"({"searchfilter": "oops", "aftersearchjob": [], "searchpathhistory": 7})");
    CQelJSONFileMng settings;
    const qel::QelEnvArrays arrays = qel::LoadEnvironment(settings);
    EXPECT_EQ(arrays.filters, &settings.ConfigTree()["searchfilter"]);  // not an array in the user tree
    EXPECT_EQ(arrays.jobs, &settings.UserTree()["aftersearchjob"]);     // an empty user array still counts
    EXPECT_EQ(arrays.history, &settings.UserTree()["searchpathhistory"]);
    EXPECT_EQ(*arrays.history, Json::Value(Json::arrayValue));
    qel::QelWindowRect rect;
    ASSERT_TRUE(qel::ReadLastPosition(settings, rect));
    EXPECT_EQ(std::vector<int>({rect.left, rect.top, rect.right, rect.bottom}), std::vector<int>({1, 2, 3, 4}));

    home.WriteUserEnv("{\"searchfilter\": [ {\"name\": ");
    home.WriteConfigEnv("[");
    CQelJSONFileMng broken;
    const qel::QelEnvArrays arraysOfBroken = qel::LoadEnvironment(broken);
    for (const Json::Value* array : {arraysOfBroken.history, arraysOfBroken.filters, arraysOfBroken.jobs})
        EXPECT_TRUE(array->isArray());
}
