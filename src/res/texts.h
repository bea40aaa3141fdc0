// Fixed texts of the dialog templates and of the message boxes.
#pragma once

#include <string_view>

#include "db/translation.h"

namespace zelvan::res {

// Message boxes: captions and texts.
inline constexpr std::u16string_view kCaptionWarning = ZELVAN_TEXT("zelvan", "警告");
inline constexpr std::u16string_view kCaptionError = ZELVAN_TEXT("zelvan", "错误");
inline constexpr std::u16string_view kCaptionSorry = ZELVAN_TEXT("zelvan", "不好意思");
inline constexpr std::u16string_view kCaptionInfo = ZELVAN_TEXT("zelvan", "信息");
inline constexpr std::u16string_view kCaptionUpdateFound = ZELVAN_TEXT("zelvan", "发现更新");
inline constexpr std::u16string_view kCaptionNoUpdate = ZELVAN_TEXT("zelvan", "没有更新");
inline constexpr std::u16string_view kTextNothingFound = ZELVAN_TEXT("zelvan", "没有查到相关结果");
inline constexpr std::u16string_view kTextSelectRecord = ZELVAN_TEXT("zelvan", "请选择一条记录！");
inline constexpr std::u16string_view kTextAskTransfer =
    ZELVAN_TEXT("zelvan", "无直达车次，是否通过中转站查询");
// A later start named another timetable: the one asked for (%1) and the one in use (%2).
inline constexpr std::u16string_view kTextOtherTimetable =
    ZELVAN_TEXT("zelvan",
                "程序已在运行，没有打开另一个时刻表：%1\n正在使用的时刻表：%2\n"
                "要使用另一个时刻表，请先关闭程序再启动。");
// The main menu's "恢复上一版", asked before the timetable in use is replaced.
inline constexpr std::u16string_view kTextAskRollBack =
    ZELVAN_TEXT("zelvan", "恢复上一版时刻表吗?正在使用的时刻表将被替换。");
// The question's third answer: the journeys with changes instead of a station to change at.
inline constexpr std::u16string_view kButtonJourneys = ZELVAN_TEXT("zelvan", "换乘方案");
// A station field whose text names no station; the text follows.
inline constexpr std::u16string_view kTextUnknownStation = ZELVAN_TEXT("zelvan", "没有找到车站：");
// A station field left empty.
inline constexpr std::u16string_view kTextEnterStation = ZELVAN_TEXT("zelvan", "请输入车站名称");
// Departure and arrival name the same station.
inline constexpr std::u16string_view kTextSameStations =
    ZELVAN_TEXT("zelvan", "出发站与到达站相同");

// The progress window of a running update.
inline constexpr std::u16string_view kCaptionUpdate = ZELVAN_TEXT("zelvan", "更新");
inline constexpr std::u16string_view kLabelReceived = ZELVAN_TEXT("zelvan", "已接收 ");
inline constexpr std::u16string_view kTextCancelling = ZELVAN_TEXT("zelvan", "正在取消…");
inline constexpr std::u16string_view kButtonCancel = ZELVAN_TEXT("zelvan", "取消");

// Dialog 102, the station-to-station query.
inline constexpr std::u16string_view kLabelFromStation = ZELVAN_TEXT("zelvan", "出发站:");
inline constexpr std::u16string_view kLabelToStation = ZELVAN_TEXT("zelvan", "目的站:");
// Dialog 133, the train-number query.
inline constexpr std::u16string_view kLabelTrainNumber = ZELVAN_TEXT("zelvan", "输入车次：");
// Dialog 135, the station query.
inline constexpr std::u16string_view kLabelStationName = ZELVAN_TEXT("zelvan", "输入车站名称：");
// The day of travel, one label in the three dialogs (the original had "乘车时间:" in one and
// "乘坐日期：" in another).
inline constexpr std::u16string_view kLabelTravelDate = ZELVAN_TEXT("zelvan", "乘车日期：");
// The time a list of trains starts from.
inline constexpr std::u16string_view kLabelFromTime = ZELVAN_TEXT("zelvan", "起始时刻：");
// The swap button between the two stations.
inline constexpr std::u16string_view kTextSwapStations =
    ZELVAN_TEXT("zelvan", "交换出发站和目的站");

// Dialog 140, the journey question (换乘方案).
inline constexpr std::u16string_view kLabelJourneyTime = ZELVAN_TEXT("zelvan", "时间:");
inline constexpr std::u16string_view kChoiceLeaveAfter = ZELVAN_TEXT("zelvan", "出发不早于");
inline constexpr std::u16string_view kChoiceArriveBy = ZELVAN_TEXT("zelvan", "到达不晚于");
inline constexpr std::u16string_view kLabelVia = ZELVAN_TEXT("zelvan", "途经站（可不填）:");
inline constexpr std::u16string_view kLabelViaMinutes =
    ZELVAN_TEXT("zelvan", "途经站停留至少（分钟）:");
inline constexpr std::u16string_view kLabelMaxChanges = ZELVAN_TEXT("zelvan", "最多换乘次数:");
inline constexpr std::u16string_view kLabelStepFree = ZELVAN_TEXT("zelvan", "无障碍出行");
inline constexpr std::u16string_view kTextStepFreeNote =
    ZELVAN_TEXT("zelvan", "只乘时刻表注明可乘轮椅的车次，只在注明无障碍的车站上下车");
// The via station is one of the two ends (its name follows).
inline constexpr std::u16string_view kTextViaIsAnEnd =
    ZELVAN_TEXT("zelvan", "途经站是出发地或目的地：");
// A step-free question on a timetable that says nothing of wheelchair access.
inline constexpr std::u16string_view kTextNoAccessData =
    ZELVAN_TEXT("zelvan", "时刻表没有注明无障碍信息，无法查询无障碍行程");
// "加入日历": the file written (%1), and the offer to open it.
inline constexpr std::u16string_view kTextCalendarSaved =
    ZELVAN_TEXT("zelvan", "已保存日历文件：%1\n现在用日历程序打开吗？");
// The calendar file could not be written: the file (%1) and why (%2).
inline constexpr std::u16string_view kTextCalendarFailed =
    ZELVAN_TEXT("zelvan", "无法保存日历文件：%1\n%2");

// Dialog 132, the results; its template title is replaced when it opens.
inline constexpr std::u16string_view kCaptionResultsTemplate = ZELVAN_TEXT("zelvan", "显示结果");
// Dialog 105, About.
inline constexpr std::u16string_view kCaptionAbout = ZELVAN_TEXT("zelvan", "关于 Zelvan时刻表");
// Dialog 138, the recommended downloads.
inline constexpr std::u16string_view kCaptionDownloads = ZELVAN_TEXT("zelvan", "欢迎下载手机软件");

}  // namespace zelvan::res
