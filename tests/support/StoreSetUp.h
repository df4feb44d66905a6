#pragma once

#include <unistd.h>

#include <cstdint>
#include <string>

#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"

namespace testsupport {

// Readies store for packets parsed by host, as the main window does after loading the
// plug-in: record layout (host's H with parsedLength P), a buffer file named from
// bufferPrefix, a cache of mb megabytes, an empty disk buffer. False when a step failed.
inline bool SetUpStore(PacketManager& store, PluginHandler* host, uint16_t rawLength, uint16_t parsedLength,
                       const std::string& bufferPrefix, uint16_t mb)
{
    store.SetPluginHandler(host);
    if (store.Init(rawLength, parsedLength) != 1)
        return false;
    store.CreateBufferFile(getpid(), bufferPrefix);
    if (store.SetCacheSize(mb) != 1)
        return false;
    store.Reset();
    return store.Disk().IsOpen();
}

} // namespace testsupport
