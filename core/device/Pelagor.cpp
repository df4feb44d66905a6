#include "core/device/Pelagor.h"

#include "core/store/PacketManager.h"
#include "platform/MessageBox.h"

namespace {

std::atomic<platform::WindowHandle> mainWindow{0};
std::atomic<PacketManager*> packetStore{nullptr};

} // namespace

Pelagor::Pelagor(platform::WindowHandle window)
{
    mainWindow = window;
}

Pelagor::Pelagor(platform::WindowHandle window, const std::string& programFolder)
    : PelagorCore(programFolder)
{
    mainWindow = window;
}

Pelagor::~Pelagor()
{
    Shutdown();
}

void Pelagor::SetPacketManager(PacketManager* store)
{
    packetStore = store;
}

PacketManager* Pelagor::GetPacketManager()
{
    return packetStore.load();
}

platform::WindowHandle Pelagor::MainWindow()
{
    return mainWindow.load();
}

bool Pelagor::OnPacket(uint8_t* record, uint8_t numberIt, int length, uint8_t broadcastOnly, uint8_t* info)
{
    if (info != nullptr)
        *info = 0;
    PacketManager* store = packetStore.load();
    // Without a store the packet has nowhere to go: end the capture rather than lose it quietly.
    if (store == nullptr)
        return false;
    return store->AddPacket(record, numberIt, length, broadcastOnly, info) != 0;
}

void Pelagor::OnCaptureEvent(int code)
{
    if (PacketManager* store = packetStore.load())
        store->AddErrorRecord(code);
}

void Pelagor::OnProgress(uint8_t on)
{
    platform::PostWindowMessage(mainWindow.load(), platform::WM_BUSY_STATE, on, 0);
}

bool Pelagor::AskUser(const char* question)
{
    return platform::ShowMessageBox(question, platform::MessageIcon::Exclamation,
                                    platform::MessageButtons::YesNo) == platform::MessageAnswer::Yes;
}

void Pelagor::ShowMessage(const char* text)
{
    platform::ShowMessageBox(text, platform::MessageIcon::Exclamation, platform::MessageButtons::Ok);
}
