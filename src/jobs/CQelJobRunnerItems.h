#pragma once
// What the runner's steps share: the two result lists of one step as read
// from the model, and the name of an entry. Internal to the runner.

#include <json/value.h>

#include <vector>

#include "CQelJobRunner.h"

struct CQelJobRunner::Items {
    std::vector<QelString> files;
    std::vector<QelString> folders;

    // The model's "fileresultlist" and "dirresultlist"; strings only, bytes kept as they are.
    static Items Read(const Json::Value& model);
};

namespace qel {
// The text after the last '/' at index 1 or more; unset when there is none
// (such an entry has no name to copy, move or rename by).
QelString JobItemName(const QelString& fullPath);
// "%s/%s" from the destination and the entry's name.
QelString JobTarget(const QelString& dest, const QelString& name);
}  // namespace qel
