// Fixed texts of the dialog templates and of the message boxes.
#pragma once

#include <string_view>

namespace zelvan::res {

// Message boxes: captions and texts.
inline constexpr std::u16string_view kCaptionWarning = u"警告";
inline constexpr std::u16string_view kCaptionError = u"错误";
inline constexpr std::u16string_view kCaptionSorry = u"不好意思";
inline constexpr std::u16string_view kCaptionInfo = u"信息";
inline constexpr std::u16string_view kCaptionUpdateFound = u"发现更新";
inline constexpr std::u16string_view kCaptionNoUpdate = u"没有更新";
inline constexpr std::u16string_view kTextNothingFound = u"没有查到相关结果";
inline constexpr std::u16string_view kTextSelectRecord = u"请选择一条记录！";
inline constexpr std::u16string_view kTextAskTransfer = u"无直达车次，是否通过中转站查询";
// A later start named another timetable: the one asked for (%1) and the one in use (%2).
inline constexpr std::u16string_view kTextOtherTimetable =
    u"程序已在运行，没有打开另一个时刻表：%1\n正在使用的时刻表：%"
    u"2\n要使用另一个时刻表，请先关闭程序再启动。";
// The main menu's "恢复上一版", asked before the timetable in use is replaced.
inline constexpr std::u16string_view kTextAskRollBack =
    u"恢复上一版时刻表吗?正在使用的时刻表将被替换。";
// The question's third answer: the journeys with changes instead of a station to change at.
inline constexpr std::u16string_view kButtonJourneys = u"换乘方案";
// A station field whose text names no station; the text follows.
inline constexpr std::u16string_view kTextUnknownStation = u"没有找到车站：";
// A station field left empty.
inline constexpr std::u16string_view kTextEnterStation = u"请输入车站名称";
// Departure and arrival name the same station.
inline constexpr std::u16string_view kTextSameStations = u"出发站与到达站相同";

// The progress window of a running update.
inline constexpr std::u16string_view kCaptionUpdate = u"更新";
inline constexpr std::u16string_view kLabelReceived = u"已接收 ";
inline constexpr std::u16string_view kTextCancelling = u"正在取消…";
inline constexpr std::u16string_view kButtonCancel = u"取消";

// Dialog 102, the station-to-station query.
inline constexpr std::u16string_view kLabelFromStation = u"出发站:";
inline constexpr std::u16string_view kLabelToStation = u"目的站:";
inline constexpr std::u16string_view kLabelTravelDate = u"乘车时间:";
// Dialog 133, the train-number query.
inline constexpr std::u16string_view kLabelTrainNumber = u"输入车次：";
// Dialog 135, the station query.
inline constexpr std::u16string_view kLabelStationName = u"输入车站名称：";
inline constexpr std::u16string_view kLabelStationDate = u"乘坐日期：";
// The train-number dialog's date, the day its running statuses are for.
inline constexpr std::u16string_view kLabelTrainDate = u"乘坐日期：";

// Dialog 132, the results; its template title is replaced when it opens.
inline constexpr std::u16string_view kCaptionResultsTemplate = u"显示结果";
// Dialog 105, About.
inline constexpr std::u16string_view kCaptionAbout = u"关于 Zelvan时刻表";
// Dialog 138, the recommended downloads.
inline constexpr std::u16string_view kCaptionDownloads = u"欢迎下载手机软件";

}  // namespace zelvan::res
