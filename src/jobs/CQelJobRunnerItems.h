#pragma once
// The result rows a step of the runner works on, read afresh from the model.
// Internal to the runner.

#include <json/value.h>

#include "QelResultRows.h"

namespace qel {
// Which kind of entry a step takes first.
enum class QelJobOrder { FoldersFirst, FilesFirst };

// The strings of "dirresultlist" and "fileresultlist" as rows in that order,
// bytes kept as they are. An entry without a '/' at index 1 or more has no
// name and no folder to act in, and is left out.
QelResultRows JobRows(const Json::Value& model, QelJobOrder order);
}  // namespace qel
