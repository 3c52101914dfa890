#pragma once
// Where the job runner's log rows go, one call per row, in the order they
// happen: the log window paints each as it comes, the command line prints it.

#include "QelString.h"

class IQelJobLogDelegate {
public:
    virtual ~IQelJobLogDelegate() = default;
    virtual void OnJobLog(const QelString& row) = 0;
};
