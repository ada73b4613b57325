// Control ids of the main dialog, the upload dialog and the monitor. Each
// control carries its id as its object name (QString::number(id)), so tests
// and assistive tools can find it.
#pragma once

namespace crvl::ids {

inline constexpr int kExit = 2;
inline constexpr int kVolumeEdit = 1000;
inline constexpr int kScenarioEdit = 1001;
inline constexpr int kShockSeriesEdit = 1002;
inline constexpr int kProtocolTimeoutEdit = 1003;
inline constexpr int kCprTimerEdit = 1004;
inline constexpr int kPromptIntervalEdit = 1005;
inline constexpr int kTimerPauseEdit = 1006;
inline constexpr int kNsaMonitor = 1007;
inline constexpr int kNsaTimer = 1008;
inline constexpr int kCprShort = 1009;
inline constexpr int kCprLong = 1010;
inline constexpr int kLedIndication = 1011;
inline constexpr int kVolumeControl = 1012;
inline constexpr int kRemoteDisplay = 1013;
inline constexpr int kConnect = 1022;
inline constexpr int kStatus = 1023;
inline constexpr int kTolerance = 1024;
inline constexpr int kUpdate = 1025;
inline constexpr int kCustomScenarios = 1026;
inline constexpr int kVolumeSpin = 1028;
inline constexpr int kScenarioSpin = 1029;
inline constexpr int kShockSeriesSpin = 1030;
inline constexpr int kProtocolTimeoutSpin = 1031;
inline constexpr int kCprTimerSpin = 1032;
inline constexpr int kPromptIntervalSpin = 1033;
inline constexpr int kTimerPauseSpin = 1034;
inline constexpr int kConnectionLamp = 1035;
inline constexpr int kLoadDefaults = 1036;
inline constexpr int kBatteryEdit = 1042;
inline constexpr int kBatteryLamp = 1053;

// Commands of the window menu.
inline constexpr int kAboutCommand = 16;
inline constexpr int kMonitorCommand = 1056;

// The custom scenario upload dialog.
inline constexpr int kUploadName1 = 1000;
inline constexpr int kUploadName2 = 1001;
inline constexpr int kUploadName3 = 1002;
inline constexpr int kUploadSelectNew = 1036;
inline constexpr int kUploadSlot1 = 1037;
inline constexpr int kUploadSlot2 = 1038;
inline constexpr int kUploadSlot3 = 1039;
inline constexpr int kUploadCancel = 2;

// The scenario monitor; its lamps' ids are kMonitorLampIds.
inline constexpr int kMonitorScenarioEdit = 1000;
inline constexpr int kMonitorFrameEdit = 1001;
inline constexpr int kMonitorPlotFrame = 1054;
inline constexpr int kMonitorExit = 2;

} // namespace crvl::ids
