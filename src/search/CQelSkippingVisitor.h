#pragma once
// Passes reports on to another visitor after dropping a given number of
// them: those a helper's recording had already delivered before it was cut
// short, when the same walk is done again.

#include <cstddef>

#include "IQelWalkVisitor.h"

class CQelSkippingVisitor : public IQelWalkVisitor {
public:
    void Skip(IQelWalkVisitor& to, std::size_t count) {
        m_to = &to == this ? m_to : &to;
        m_skip = count;
    }
    void OnFile(std::string_view name) override {
        if (Pass()) m_to->OnFile(name);
    }
    void OnFolder(std::string_view name) override {
        if (Pass()) m_to->OnFolder(name);
    }
    void OnEnter(std::string_view name) override {
        if (Pass()) m_to->OnEnter(name);
    }
    void OnLeave() override {
        if (Pass()) m_to->OnLeave();
    }
    bool KeepGoing() override { return m_to->KeepGoing(); }
    bool KeepGoingWhileWaiting() override { return m_to->KeepGoingWhileWaiting(); }

private:
    bool Pass() {
        if (m_skip == 0) return true;
        --m_skip;
        return false;
    }
    IQelWalkVisitor* m_to = nullptr;
    std::size_t m_skip = 0;
};
