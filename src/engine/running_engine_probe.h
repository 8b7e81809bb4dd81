#pragma once
/// Asks whoever holds the engine's port whether it is an engine serving this module for this
/// printer, when this engine could not take the port itself.

#include <cstdint>
#include <string>

#include "http/engine_port.h"

class CObjectFactory;

class CRunningEngineProbe {
public:
    explicit CRunningEngineProbe(CObjectFactory& factory, std::uint16_t port = kEnginePort)
        : m_factory(factory), m_port(port) {}

    /// Returns normally when the holder is an engine for `moduleName` and `printerAddress`
    /// (the user is to be handed over to it); otherwise throws, by pointer, the start-up
    /// failure it stands for: `CTavrinPortInUse` (not an engine), `CTavrinEngineInUse`
    /// (another module) or `CTavrinModuleInUse` (another printer). Socket failures while
    /// connecting or sending propagate as the socket's exceptions.
    void Probe(const std::string& moduleName, const std::string& printerAddress);

private:
    CObjectFactory& m_factory;
    std::uint16_t m_port;
};
