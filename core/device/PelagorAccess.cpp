#include "core/device/PelagorAccess.h"

#include <mutex>

#include "platform/PathText.h"
#include "platform/TextFormat.h"

namespace {

// Shared by the window thread and the firmware-update thread.
struct Callbacks {
    std::mutex mutex;
    PelagorAccess::ProgressCallback progress = nullptr;
    PelagorAccess::MessageCallback message = nullptr;
    PelagorAccess::QuestionCallback question = nullptr;
    PelagorAccess::ThreadStarter threadStarter = nullptr;
};

Callbacks& TheCallbacks()
{
    static Callbacks callbacks;
    return callbacks;
}

template <typename T>
T Load(T Callbacks::*which)
{
    Callbacks& callbacks = TheCallbacks();
    std::lock_guard lock(callbacks.mutex);
    return callbacks.*which;
}

template <typename T>
void Store(T Callbacks::*which, T value)
{
    Callbacks& callbacks = TheCallbacks();
    std::lock_guard lock(callbacks.mutex);
    callbacks.*which = value;
}

std::string TextOrEmpty(const char* text)
{
    return text != nullptr ? std::string(text) : std::string();
}

} // namespace

PelagorAccess::PelagorAccess(const char* boardFirmwareFolder, const char* chipFirmwareFolder)
    : chipFirmwareFolder_(TextOrEmpty(chipFirmwareFolder)), boardFirmwareFolder_(TextOrEmpty(boardFirmwareFolder))
{
    Callbacks& callbacks = TheCallbacks();
    std::lock_guard lock(callbacks.mutex);
    callbacks.progress = nullptr;
    callbacks.message = nullptr;
    callbacks.question = nullptr;
    callbacks.threadStarter = nullptr;
}

PelagorAccess::~PelagorAccess() = default;

bool PelagorAccess::SetFirmwareFile(const char* name)
{
    const std::string file = TextOrEmpty(name);
    const std::string path = JoinPath(chipFirmwareFolder_, file);
    if (path.size() > static_cast<size_t>(kPathLimit)) {
        errorText_ = platform::FormatText(
            "The full path name to the \"FW\" file exceeds the maximum of %d characters:\n%s%s", kPathLimit,
            chipFirmwareFolder_.c_str(), file.c_str());
        return false;
    }
    chipFirmwarePath_ = platform::ToNativePath(path);
    return true;
}

void PelagorAccess::SetProgressCallback(ProgressCallback callback)
{
    Store(&Callbacks::progress, callback);
}

void PelagorAccess::SetMessageCallback(MessageCallback callback)
{
    Store(&Callbacks::message, callback);
}

void PelagorAccess::SetQuestionCallback(QuestionCallback callback)
{
    Store(&Callbacks::question, callback);
}

void PelagorAccess::SetThreadStarter(ThreadStarter starter)
{
    Store(&Callbacks::threadStarter, starter);
}

int PelagorAccess::Connect(int)
{
    errorText_.clear();
    return kConnectOk;
}

bool PelagorAccess::SetParameter16(uint8_t, uint8_t, uint8_t*, int)
{
    return true;
}

bool PelagorAccess::SetParameter(uint8_t, uint8_t*, int)
{
    return true;
}

bool PelagorAccess::StartCapture(uint8_t, int maximumRecordLength)
{
    maximumRecordLength_ = maximumRecordLength;
    errorText_.clear();
    return true;
}

bool PelagorAccess::StopCapture()
{
    return true;
}

int PelagorAccess::ReadPacket(uint8_t*, int*, uint8_t*, int)
{
    return 0;
}

int PelagorAccess::GetMaxRegistersPerWrite()
{
    return maxRegistersPerWrite_;
}

void PelagorAccess::ReportError(const std::string& text)
{
    errorText_ = text;
    connectErrorText_ = text;
    NotifyMessage(errorText_.c_str());
    errorText_.clear();
}

void PelagorAccess::NotifyProgress(int on)
{
    if (ProgressCallback progress = Load(&Callbacks::progress))
        progress(on);
}

void PelagorAccess::NotifyMessage(const char* text)
{
    if (MessageCallback message = Load(&Callbacks::message))
        message(text);
}

bool PelagorAccess::AskQuestion(const char* question)
{
    QuestionCallback ask = Load(&Callbacks::question);
    return ask != nullptr && ask(question) != 0;
}

bool PelagorAccess::StartThread(ThreadFunction function)
{
    ThreadStarter starter = Load(&Callbacks::threadStarter);
    return starter != nullptr && starter(function) != 0;
}

std::string PelagorAccess::JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || platform::IsPathSeparator(folder.back()))
        return folder + name;
    return folder + '/' + name;
}
