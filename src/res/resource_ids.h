// The numbers of the program's resources: strings, menu bars, dialogs, commands and controls.
// The numbers are the program's vocabulary: soft keys, menu items and windows exchange commands
// by these values, so they stay fixed.
#pragma once

namespace zelvan::res {

// String table (see strings.cpp).
inline constexpr int kStrTitle = 1;
inline constexpr int kStrClassName = 2;
inline constexpr int kStrHomepage = 3;
inline constexpr int kStrOk = 103;
inline constexpr int kStrMenu = 104;
inline constexpr int kStrBack = 108;
inline constexpr int kStrExit = 109;
inline constexpr int kStrView = 110;
inline constexpr int kStrSendMessage = 111;
inline constexpr int kStrResultsMenu = 112;
inline constexpr int kStrStationToStation = 113;
inline constexpr int kStrTrainNumber = 114;
inline constexpr int kStrStation = 115;
inline constexpr int kStrDownloads = 116;
inline constexpr int kStrJourneys = 117;

// Icon group: the window icon and the About box's picture.
inline constexpr int kIconMain = 101;
// Accelerator table of the main window (Ctrl+Q -> kCmdLeftKey).
inline constexpr int kAccelMain = 2;

// Menu-bar descriptions, one per window (see menu_bars.cpp).
inline constexpr int kMenuBarMain = 102;
inline constexpr int kMenuBarStationToStation = 129;
inline constexpr int kMenuBarResults = 130;
inline constexpr int kMenuBarResultsJourneys = 131;  // results that offer "换乘方案"
inline constexpr int kMenuBarTrainNumber = 134;
inline constexpr int kMenuBarStation = 136;
inline constexpr int kMenuBarDownloads = 139;
inline constexpr int kMenuBarJourney = 141;          // the journey question
inline constexpr int kMenuBarResultsCalendar = 142;  // results of rides: "加入日历"
// Results that offer "换乘方案" and hold rides.
inline constexpr int kMenuBarResultsJourneysCalendar = 143;

// Dialog templates.
inline constexpr int kDialogStationToStation = 102;
inline constexpr int kDialogAbout = 105;
inline constexpr int kDialogResults = 132;
inline constexpr int kDialogTrainNumber = 133;
inline constexpr int kDialogStation = 135;
inline constexpr int kDialogDownloads = 138;
inline constexpr int kDialogJourney = 140;

// Commands.
inline constexpr int kCmdOk = 1;
inline constexpr int kCmdCancel = 2;
inline constexpr int kCmdAbort = 3;
inline constexpr int kCmdLeftKey = 40000;  // "退出" in the main window, "确定"/"查看" elsewhere
inline constexpr int kCmdBack = 32781;     // "返回" of the query and download dialogs
inline constexpr int kCmdMenuOk = 32774;  // main popup "打开所选项" (the original's "确定")
inline constexpr int kCmdSendMessage = 32785;
inline constexpr int kCmdResultsBack = 32786;  // results popup "返回"
inline constexpr int kCmdUpdate = 32789;
inline constexpr int kCmdAbout = 32790;
inline constexpr int kCmdJourneys = 32791;  // "换乘方案": journeys with changes, matched in time
inline constexpr int kCmdRollBack = 32792;  // main popup "恢复上一版": the previous timetable
inline constexpr int kCmdLanguage = 32793;  // "语言" in every popup: 跟随系统, 中文 or English
inline constexpr int kCmdFavourite = 32794;        // "收藏": the question kept on the main list
inline constexpr int kCmdRemoveFavourite = 32795;  // main popup: the chosen favourite removed
inline constexpr int kCmdAddToCalendar = 32796;    // results popup "加入日历": a ride as a .ics

// Dialog results of a closed window (beside the command numbers that close a dialog).
inline constexpr int kResultClosed = 16;

// Control ids.
inline constexpr int kIdMainList = 1000;
inline constexpr int kIdFromStation = 1000;
inline constexpr int kIdToStation = 1001;
inline constexpr int kIdResultsList = 1003;
inline constexpr int kIdTrainNumber = 1004;
inline constexpr int kIdStationName = 1005;
inline constexpr int kIdDownloadsList = 1006;
inline constexpr int kIdAboutText = 1007;
inline constexpr int kIdTravelDate = 1008;
inline constexpr int kIdStationDate = 1009;
inline constexpr int kIdTrainDate = 1010;
inline constexpr int kIdTimeMode = 1011;  // the journey question: leave after or arrive by
inline constexpr int kIdTime = 1012;
inline constexpr int kIdViaStation = 1013;
inline constexpr int kIdViaMinutes = 1014;
inline constexpr int kIdMaxChanges = 1015;
inline constexpr int kIdStepFree = 1016;
inline constexpr int kIdAboutIcon = 201;
inline constexpr int kIdAboutNotice = 203;

}  // namespace zelvan::res
