#pragma once

#include <atomic>
#include <cstdint>

// What the setter exports store, process-wide in each plug-in; all 0 at load.
// The GUI thread sets them while a reader thread decodes: atomic, but no lock.
struct PluginSettings {
    std::atomic<int32_t> fieldCapacity{0};
    std::atomic<int32_t> protocolVersion{0};
    std::atomic<int32_t> chipCode{0};
    std::atomic<int32_t> autoRegister{0};
};

PluginSettings& ThePluginSettings();
