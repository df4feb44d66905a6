#include "core/device/PelagorCore.h"

#include <chrono>
#include <cstring>
#include <vector>

#include "chips/ChipSets.h"
#include "core/device/PelagorAccess.h"
#include "core/device/PelagorAccessDravik.h"
#include "core/device/PacketBuffer.h"
#include "core/device/UdpDataChannel.h"
#include "platform/ProgramFolder.h"
#include "platform/TextFormat.h"

namespace {

std::atomic<PelagorCore*> theInstance{nullptr};

// Threads started for the device layer: joined before the process lets go of their code.
std::mutex workersMutex;
std::vector<std::thread> workers;

} // namespace

PelagorCore::PelagorCore()
{
    Init(platform::ProgramFolder());
}

PelagorCore::PelagorCore(const std::string& programFolder)
{
    Init(programFolder);
}

void PelagorCore::Init(const std::string& programFolder)
{
    programFolder_ = programFolder;
    boardFirmwareFolder_ = programFolder + "../../../firmware/";
    chipFirmwareFolder_ = programFolder + "firmware/";
    theInstance = this;
}

PelagorCore::~PelagorCore()
{
    Shutdown();
    PelagorCore* self = this;
    theInstance.compare_exchange_strong(self, nullptr);
}

void PelagorCore::Shutdown()
{
    if (Running())
        Stop();
    // A reader that outlived its stop still uses the device: wait for it before letting go.
    running_ = 0;
    FinishReader(-1);
    access_.reset();
    udp_.reset();
    JoinWorkerThreads();
}

PelagorCore* PelagorCore::Instance()
{
    return theInstance.load();
}

void PelagorCore::SetPacketLimits(uint16_t maximumRecordLength, uint16_t hexPageSize)
{
    maximumRecordLength_ = maximumRecordLength;
    hexPageSize_ = hexPageSize;
}

std::unique_ptr<PelagorAccess> PelagorCore::CreateAccess(const DravikEbInfo& device)
{
    return std::make_unique<PelagorAccessDravik>(device, boardFirmwareFolder_.c_str(),
                                                 chipFirmwareFolder_.c_str());
}

int PelagorCore::Start(const DravikEbInfo& device, const CAPTURE_START_PARAM& param)
{
    if (maximumRecordLength_ == 0)
        return kStartFailed;
    if (Running())
        return kStartRunning;
    // A reader that stopped on an error is ending by itself: join it. One that does not end in
    // time keeps the device.
    if (!FinishReader(kStopWaitMs))
        return kStartFailed;
    if (device.usbDeviceId == 0) {
        ShowMessage("Invalid USB device ID: 0x0000\n");
        return kStartFailed;
    }
    udp_.reset();
    access_.reset();
    access_ = CreateAccess(device);
    if (!access_->SetFirmwareFile(param.firmwareFile != nullptr ? param.firmwareFile : "")) {
        ShowMessage(access_->ErrorText());
        return kStartFailed;
    }
    access_->SetProgressCallback(&PelagorCore::ProgressTrampoline);
    access_->SetThreadStarter(&PelagorCore::StartWorkerThread);
    access_->SetMessageCallback(&PelagorCore::MessageTrampoline);
    access_->SetQuestionCallback(&PelagorCore::QuestionTrampoline);

    const int connected = access_->Connect(param.usartChoice);
    if (connected != PelagorAccess::kConnectOk) {
        access_.reset();
        return connected == PelagorAccess::kConnectFailed ? kStartFailed : kStartUpdating;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return Configure(device, param);
}

int PelagorCore::Configure(const DravikEbInfo& device, const CAPTURE_START_PARAM& param)
{
    if (!TakesNoChannel(device.chipCode)) {
        channel_ = param.channel;
        uint8_t channel = param.channel;
        if (!access_->SetParameter(0, &channel, 1)) {
            ShowMessage(platform::FormatText("Not able to set channel: %d\n", param.channel).c_str());
            return kStartFailed;
        }
    }
    if (param.initiatorPresent) {
        uint8_t address[6];
        std::memcpy(address, param.initiatorAddress, sizeof address);
        if (!access_->SetParameter(6, address, 6)) {
            ShowMessage("Not able to set the initiator address");
            return kStartFailed;
        }
    }
    if (param.registerList != nullptr && !SendRegisters(device, param.registerList, param.registerCount)) {
        ShowMessage(platform::FormatText("Not able to set radio registers for %s\n", device.chipName).c_str());
        return kStartFailed;
    }
    if (param.broadcastOn) {
        const uint32_t a = param.udpAddress;
        const std::string address = platform::FormatText("%d.%d.%d.%d", int(a >> 24 & 0xFF), int(a >> 16 & 0xFF),
                                                         int(a >> 8 & 0xFF), int(a & 0xFF));
        udp_ = std::make_unique<UdpDataChannel>(address.c_str(), param.udpPort);
        if (udp_->Status() != 0) {
            udp_.reset();
            ShowMessage("Not able to create UDP data channel");
            return kStartFailed;
        }
    }
    if (!access_->StartCapture(0, maximumRecordLength_)) {
        ShowMessage("Not able to start the sniffer.\n Try to upgrade USB firmware.");
        return kStartFailed;
    }
    notifyWindow_ = param.notifyWindow;
    broadcastOnly_ = param.broadcastOnly;
    recordCapacity_ = maximumRecordLength_;
    running_ = 1;
    {
        std::lock_guard lock(readerMutex_);
        readerDone_ = false;
    }
    reader_ = std::thread(&PelagorCore::ReaderThread, this);
    return kStartRunning;
}

bool PelagorCore::SendRegisters(const DravikEbInfo& device, const int* list, int count)
{
    count &= 0xFFFF;
    const int chunkLimit = access_->GetMaxRegistersPerWrite();
    if (chunkLimit <= 0)
        return count == 0; // no chunk could ever carry them
    const bool wide = HasWideRegisters(device.chipCode);
    std::vector<uint8_t> bytes;
    for (int first = 0; first < count; first += chunkLimit) {
        const int chunk = std::min(chunkLimit, count - first);
        const int* ints = list + first;
        bytes.clear();
        bool sent;
        if (wide) {
            const int pairs = chunk / 2;
            for (int p = 0; p < pairs; ++p) {
                const int address = ints[2 * p];
                bytes.push_back(static_cast<uint8_t>(address >> 8));
                bytes.push_back(static_cast<uint8_t>(address));
                bytes.push_back(static_cast<uint8_t>(ints[2 * p + 1]));
            }
            sent = access_->SetParameter16(4, 16, bytes.data(), 3 * pairs);
        } else {
            for (int i = 0; i < chunk; ++i)
                bytes.push_back(static_cast<uint8_t>(ints[i]));
            sent = access_->SetParameter(4, bytes.data(), chunk);
        }
        if (!sent)
            return false;
    }
    return true;
}

int PelagorCore::Stop()
{
    running_ = 0;
    if (!FinishReader(kStopWaitMs))
        return kStopFailed;
    if (access_) {
        if (!access_->StopCapture()) {
            ShowMessage("Not able to stop the sniffer");
            return kStopFailed;
        }
        access_.reset();
    }
    if (udp_) {
        udp_->Close();
        udp_.reset();
    }
    return kStopped;
}

bool PelagorCore::FinishReader(int timeoutMs)
{
    if (!reader_.joinable())
        return true;
    std::unique_lock lock(readerMutex_);
    if (timeoutMs < 0)
        readerEnded_.wait(lock, [this] { return readerDone_; });
    else if (!readerEnded_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return readerDone_; }))
        return false;
    lock.unlock();
    reader_.join();
    return true;
}

void PelagorCore::ReaderThread()
{
    std::vector<uint8_t> buffer(static_cast<size_t>(recordCapacity_) + 5);
    uint8_t* const info = buffer.data();
    uint8_t* const record = buffer.data() + 5;
    uint8_t communicationErrors = 0;
    bool stoppedOnError = false;
    while (running_.load(std::memory_order_relaxed)) {
        uint8_t kind = 0;
        int length = 0;
        const int status = access_->ReadPacket(&kind, &length, record, 0);
        switch (status) {
        case kPacketPending:
        case kPacketRepeated:
        case kPacketNothingRead:
            break;
        case kPacketOverflow:
            OnCaptureEvent(kEventOverflow);
            break;
        case kPacketIncomplete:
            OnCaptureEvent(kEventIncomplete);
            break;
        case kPacketResync:
            OnCaptureEvent(kEventResync);
            break;
        case kPacketStatusFrame:
            OnCaptureEvent(kEventStatusFrame);
            break;
        case kPacketComplete:
            if (length > 0) {
                communicationErrors = 0;
                if (kind == 0) {
                    if (!OnPacket(buffer.data() + 1, 1, length, broadcastOnly_, info)) {
                        running_ = 0;
                        stoppedOnError = true;
                    }
                    // Listeners get the packet even when the store refused it.
                    if (udp_)
                        udp_->Send(buffer.data(), length + 5);
                } else if (kind != 10) {
                    OnCaptureEvent(kEventUnknownData);
                }
            } else if (kind == 3) {
                OnCaptureEvent(kEventOverflow);
            } else if (kind == 10) {
                OnCaptureEvent(kEventCommunication);
                if (++communicationErrors >= kCommunicationErrorLimit) {
                    running_ = 0;
                    stoppedOnError = true;
                    ShowMessage("Communication error");
                }
            }
            break;
        default:
            ShowMessage("Unknown return status from Dravik");
            running_ = 0;
            stoppedOnError = true;
            break;
        }
    }
    if (stoppedOnError && notifyWindow_ != 0)
        platform::PostWindowMessage(notifyWindow_, platform::WM_CAPTURE_STOPPED, 0, 0);
    std::lock_guard lock(readerMutex_);
    readerDone_ = true;
    readerEnded_.notify_all();
}

bool PelagorCore::OnPacket(uint8_t*, uint8_t, int, uint8_t, uint8_t* info)
{
    if (info != nullptr)
        *info = 0;
    return true;
}

void PelagorCore::OnCaptureEvent(int) {}
void PelagorCore::OnProgress(uint8_t) {}
bool PelagorCore::AskUser(const char*) { return true; }
void PelagorCore::ShowMessage(const char*) {}

void PelagorCore::ProgressTrampoline(int on)
{
    if (PelagorCore* core = Instance())
        core->OnProgress(static_cast<uint8_t>(on));
}

void PelagorCore::MessageTrampoline(const char* text)
{
    if (PelagorCore* core = Instance())
        core->ShowMessage(text != nullptr ? text : "");
}

int PelagorCore::QuestionTrampoline(const char* question)
{
    PelagorCore* core = Instance();
    return core != nullptr && core->AskUser(question != nullptr ? question : "") ? 1 : 0;
}

int PelagorCore::StartWorkerThread(void (*function)())
{
    if (function == nullptr)
        return 0;
    try {
        std::lock_guard lock(workersMutex);
        workers.emplace_back(function);
    } catch (const std::system_error&) {
        return 0;
    }
    return 1;
}

void PelagorCore::JoinWorkerThreads()
{
    std::vector<std::thread> finishing;
    {
        std::lock_guard lock(workersMutex);
        finishing.swap(workers);
    }
    for (std::thread& worker : finishing)
        worker.join();
}
