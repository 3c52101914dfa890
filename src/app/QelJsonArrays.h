#pragma once
// Small edits of the JSON arrays kept in env.json.

#include <json/value.h>

namespace qel {

// A copy of array without the element at index, the others in order; a plain
// copy when index is out of range.
inline Json::Value ArrayWithout(const Json::Value& array, Json::ArrayIndex index) {
    Json::Value rest(Json::arrayValue);
    if (!array.isArray()) return rest;
    for (Json::ArrayIndex i = 0; i < array.size(); ++i) {
        if (i != index) rest.append(array[i]);
    }
    return rest;
}

}  // namespace qel
