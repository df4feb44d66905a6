#pragma once

#include <memory>
#include <string>
#include <utility>

#include "core/device/Pelagor.h"
#include "tests/support/ScriptedAccess.h"

namespace testsupport {

// The main program's engine on a scripted device: everything but the device access is real.
class ScriptedPelagor : public Pelagor {
public:
    ScriptedPelagor(platform::WindowHandle window, const std::string& folder, std::shared_ptr<AccessScript> script)
        : Pelagor(window, folder), script_(std::move(script))
    {
    }

protected:
    std::unique_ptr<PelagorAccess> CreateAccess(const DravikEbInfo&) override
    {
        return std::make_unique<ScriptedAccess>(script_, BoardFirmwareFolder().c_str(), ChipFirmwareFolder().c_str());
    }

private:
    std::shared_ptr<AccessScript> script_;
};

} // namespace testsupport
