#pragma once
/// Holds the engine lock for one scope, so no path can leave it taken.

#include "engine/engine.h"

class CEngineLockGuard {
public:
    explicit CEngineLockGuard(CEngine& engine) : m_engine(engine) { m_engine.Lock(); }
    ~CEngineLockGuard() { m_engine.Unlock(); }
    CEngineLockGuard(const CEngineLockGuard&) = delete;
    CEngineLockGuard& operator=(const CEngineLockGuard&) = delete;

private:
    CEngine& m_engine;
};
