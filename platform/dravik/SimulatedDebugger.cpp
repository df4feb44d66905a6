#include "platform/dravik/SimulatedDebugger.h"

#include <algorithm>

#include "platform/dravik/DravikHexFile.h"
#include "platform/dravik/SimulatedBoard.h"

int SimulatedDebugger::Reset()
{
    if (!board_.InDebugProfile())
        return kNotInDebugProfile;
    return board_.ResetChip();
}

int SimulatedDebugger::VerifyFlash(const DravikHexFile& image)
{
    if (!board_.InDebugProfile())
        return kNotInDebugProfile;
    if (board_.Config().Has(kFaultVerify))
        return kFailed;
    int result = kFailed;
    board_.WithFlash([&](std::vector<uint8_t>& flash) {
        if (flash.size() != image.Size())
            result = kWrongImageSize;
        else
            result = flash == image.Image() ? kVerifyMatch : kVerifyDiffers;
    });
    return result;
}

int SimulatedDebugger::EraseFlash()
{
    if (!board_.InDebugProfile())
        return kNotInDebugProfile;
    if (board_.Config().Has(kFaultErase))
        return kFailed;
    if (!board_.Config().Has(kFaultStuckFlash))
        board_.WithFlash([](std::vector<uint8_t>& flash) { std::fill(flash.begin(), flash.end(), 0xFF); });
    board_.Log("flash erased");
    return 0;
}

int SimulatedDebugger::ProgramFlash(const DravikHexFile& image)
{
    if (!board_.InDebugProfile())
        return kNotInDebugProfile;
    if (board_.Config().Has(kFaultProgram))
        return kFailed;
    int result = 0;
    board_.WithFlash([&](std::vector<uint8_t>& flash) {
        if (flash.size() != image.Size()) {
            result = kWrongImageSize;
            return;
        }
        // Programming clears bits only; an erased cell takes the image's byte.
        for (size_t i = 0; i < flash.size(); ++i)
            flash[i] &= image.Image()[i];
    });
    board_.Log(result == 0 ? "flash programmed" : "flash image of the wrong size");
    return result;
}

int SimulatedDebugger::StartChip()
{
    return board_.InDebugProfile() ? 0 : kNotInDebugProfile;
}

int SimulatedDebugger::Release()
{
    if (board_.Config().Has(kFaultRelease))
        return 0;
    return 1;
}
