#pragma once

// Command ids of the main window's menu and toolbar.
namespace command {
constexpr int kAboutSystemMenu = 16;
constexpr int kAbout = 32771;
constexpr int kReset = 32772;
constexpr int kOpenData = 32773;
constexpr int kSaveData = 32774;
constexpr int kTabs = 32775;
constexpr int kStart = 32776;
constexpr int kPause = 32777;
constexpr int kFlushOnStart = 32778;
constexpr int kRevisionHistory = 32781;
constexpr int kContact = 32783;
constexpr int kUserManual = 32784;
constexpr int kAutoScroll = 32785;
constexpr int kSmallFont = 32786;
constexpr int kProtocolVersion = 32788;
constexpr int kHardwareFcsFilter = 32789;
constexpr int kHardwareIncompleteFilter = 32790;
constexpr int kFileFormatHelp = 32791;
constexpr int kCacheSize = 32792;
constexpr int kClockMultiplier = 32793;
constexpr int kPacketBroadcast = 32794;
constexpr int kLibraryInfo = 32795;
} // namespace command
