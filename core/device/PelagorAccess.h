#pragma once

#include <cstdint>
#include <string>

// The capture engine's view of a capture device. The callbacks are process-wide: the board
// firmware update runs on its own thread after the access object is gone.
class PelagorAccess {
public:
    using ProgressCallback = void (*)(int on);
    using MessageCallback = void (*)(const char* text);
    // Non-zero for yes.
    using QuestionCallback = int (*)(const char* question);
    using ThreadFunction = void (*)();
    // Runs function on a new worker thread owned by the caller of SetThreadStarter (who joins
    // it before the process ends); returns non-zero when the thread was started.
    using ThreadStarter = int (*)(ThreadFunction function);

    static constexpr int kPathLimit = 260;
    static constexpr int kConnectOk = 0;
    static constexpr int kConnectUpdateStarted = 4;
    static constexpr int kConnectFailed = 5;

    // Folders end with a separator ('/' or '\'); one is put in when it is missing.
    PelagorAccess(const char* boardFirmwareFolder, const char* chipFirmwareFolder);
    virtual ~PelagorAccess();

    PelagorAccess(const PelagorAccess&) = delete;
    PelagorAccess& operator=(const PelagorAccess&) = delete;

    // Chip firmware path = chip firmware folder + name when it has at most kPathLimit
    // characters; otherwise false with ErrorText() telling why (not reported).
    virtual bool SetFirmwareFile(const char* name);
    virtual void SetProgressCallback(ProgressCallback callback);
    virtual void SetMessageCallback(MessageCallback callback);
    virtual void SetQuestionCallback(QuestionCallback callback);
    virtual void SetThreadStarter(ThreadStarter starter);
    virtual int Connect(int usartChoice);
    virtual bool SetParameter16(uint8_t type, uint8_t subtype, uint8_t* data, int length);
    virtual bool SetParameter(uint8_t type, uint8_t* data, int length);
    virtual bool StartCapture(uint8_t captureMode, int maximumRecordLength);
    virtual bool StopCapture();
    virtual int ReadPacket(uint8_t* kind, int* length, uint8_t* record, int timeoutMs);
    virtual int GetMaxRegistersPerWrite();

    const char* ErrorText() const { return errorText_.c_str(); }
    const char* ChipFirmwarePath() const { return chipFirmwarePath_.c_str(); }
    int MaximumRecordLength() const { return maximumRecordLength_; }
    // The last text reported through the message callback by this object ("" when none);
    // kept also when no callback is set, so a failure is never silent.
    const char* ConnectErrorText() const { return connectErrorText_.c_str(); }

protected:
    // Makes text the error, hands it to the message callback and clears the error again.
    void ReportError(const std::string& text);

    // The process-wide callbacks, safe from any thread. A callback is called without the
    // lock held, so it may block (a message box) or set callbacks itself.
    static void NotifyProgress(int on);
    static void NotifyMessage(const char* text);
    // False when there is nobody to ask.
    static bool AskQuestion(const char* question);
    // False when there is no thread starter or it could not start the thread.
    static bool StartThread(ThreadFunction function);

    // folder + name, with a '/' between them when folder does not end with a separator.
    static std::string JoinPath(const std::string& folder, const std::string& name);

    int maximumRecordLength_ = 0;
    std::string connectErrorText_;
    int maxRegistersPerWrite_ = 60;
    // The folders are kept whole: cutting an over-long folder would name another folder.
    std::string chipFirmwareFolder_;
    std::string chipFirmwarePath_;
    std::string boardFirmwareFolder_;
    std::string errorText_;
};
