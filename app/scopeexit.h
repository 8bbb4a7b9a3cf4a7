#pragma once
// Runs a clean-up when the scope is left, by return or by an exception.

#include <utility>

template<typename F>
class ScopeExit
{
public:
    explicit ScopeExit(F f)
        : f_(std::move(f))
    {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit &) = delete;
    ScopeExit &operator=(const ScopeExit &) = delete;

private:
    F f_;
};
