#include "QelOpHook.h"

namespace qel {

namespace {
std::function<void(QelOpStep)>& Hook() {
    static std::function<void(QelOpStep)> hook;
    return hook;
}
}  // namespace

void SetOpHook(std::function<void(QelOpStep)> hook) { Hook() = std::move(hook); }

void RunOpHook(QelOpStep step) {
    if (Hook()) Hook()(step);
}

}  // namespace qel
