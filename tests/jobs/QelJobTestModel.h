#pragma once
// The hand-off record a job runs on, built from paths and a step list, and a
// log delegate that keeps the rows (UTF-8) for comparison.

#include <json/reader.h>
#include <json/value.h>

#include <string>
#include <vector>

#include "IQelJobLogDelegate.h"

using QelLogRows = std::vector<std::string>;

struct CQelRowCollector : IQelJobLogDelegate {
    void OnJobLog(const QelString& row) override { rows.push_back(row.ToStdString()); }
    QelLogRows rows;
};

struct QelJobStep {
    std::string cmd, act;  // cmd "<none>": the step has no "cmd"
};

// {"fileresultlist", "dirresultlist", "afjitem": {"name", "list"}}; paths keep their bytes.
inline Json::Value MakeJobModel(const std::vector<std::string>& files, const std::vector<std::string>& folders,
                                const std::vector<QelJobStep>& steps, const std::string& name = "job") {
    Json::Value model(Json::objectValue);
    for (const auto& file : files) model["fileresultlist"].append(file);
    for (const auto& folder : folders) model["dirresultlist"].append(folder);
    Json::Value& job = model["afjitem"];
    job["name"] = name;
    job["list"] = Json::Value(Json::arrayValue);
    for (const auto& step : steps) {
        Json::Value& object = job["list"].append(Json::Value(Json::objectValue));
        if (step.cmd != "<none>") object["cmd"] = step.cmd;
        object["act"] = step.act;
    }
    return model;
}
