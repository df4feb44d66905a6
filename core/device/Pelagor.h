#pragma once

#include <atomic>

#include "core/device/PelagorCore.h"
#include "platform/WindowMessages.h"

class PacketManager;

// The capture engine of the main program: packets and capture events go into the packet
// store; busy state, questions and messages go to the main window.
class Pelagor : public PelagorCore {
public:
    explicit Pelagor(platform::WindowHandle mainWindow);
    Pelagor(platform::WindowHandle mainWindow, const std::string& programFolder);
    ~Pelagor() override;

    static void SetPacketManager(PacketManager* store);
    static PacketManager* GetPacketManager();
    static platform::WindowHandle MainWindow();

protected:
    bool OnPacket(uint8_t* record, uint8_t numberIt, int length, uint8_t broadcastOnly,
                  uint8_t* info) override;
    void OnCaptureEvent(int code) override;
    void OnProgress(uint8_t on) override;
    bool AskUser(const char* question) override;
    void ShowMessage(const char* text) override;
};
