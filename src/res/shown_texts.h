// The texts the core gives whole and the application translates as they come (`shown`): the
// tables' headings and the kinds of train. Listed here so that lupdate reads them; a test holds
// the lists to what the core gives.
#pragma once

#include <string_view>

#include "db/translation.h"

namespace zelvan::res {

// The headings of every table, without the spaces that pad them.
inline constexpr std::u16string_view kHeadingTexts[] = {
    ZELVAN_TEXT("zelvan", "车次名称"), ZELVAN_TEXT("zelvan", "开点"),
    ZELVAN_TEXT("zelvan", "到点"),     ZELVAN_TEXT("zelvan", "历时"),
    ZELVAN_TEXT("zelvan", "里程"),     ZELVAN_TEXT("zelvan", "车次类型"),
    ZELVAN_TEXT("zelvan", "硬座"),     ZELVAN_TEXT("zelvan", "软座"),
    ZELVAN_TEXT("zelvan", "硬卧"),     ZELVAN_TEXT("zelvan", "软卧"),
    ZELVAN_TEXT("zelvan", "始发站"),   ZELVAN_TEXT("zelvan", "终点站"),
    ZELVAN_TEXT("zelvan", "车站名称"), ZELVAN_TEXT("zelvan", "最早到达"),
    ZELVAN_TEXT("zelvan", "出发"),     ZELVAN_TEXT("zelvan", "到达"),
    ZELVAN_TEXT("zelvan", "换乘"),     ZELVAN_TEXT("zelvan", "车次"),
    ZELVAN_TEXT("zelvan", "出发站"),   ZELVAN_TEXT("zelvan", "到达站"),
    ZELVAN_TEXT("zelvan", "等候"),     ZELVAN_TEXT("zelvan", "票价"),
    ZELVAN_TEXT("zelvan", "到达终点"), ZELVAN_TEXT("zelvan", "至终点里程"),
};

// Every kind name a train number and kind code give.
inline constexpr std::u16string_view kKindTexts[] = {
    ZELVAN_TEXT("zelvan", "城际高速"),   ZELVAN_TEXT("zelvan", "动车"),
    ZELVAN_TEXT("zelvan", "高铁"),       ZELVAN_TEXT("zelvan", "快速"),
    ZELVAN_TEXT("zelvan", "特快"),       ZELVAN_TEXT("zelvan", "准高"),
    ZELVAN_TEXT("zelvan", "普客"),       ZELVAN_TEXT("zelvan", "普快"),
    ZELVAN_TEXT("zelvan", "新快速"),     ZELVAN_TEXT("zelvan", "新特快"),
    ZELVAN_TEXT("zelvan", "新准高"),     ZELVAN_TEXT("zelvan", "新普客"),
    ZELVAN_TEXT("zelvan", "新动车"),     ZELVAN_TEXT("zelvan", "新普快"),
    ZELVAN_TEXT("zelvan", "空调快速"),   ZELVAN_TEXT("zelvan", "空调特快"),
    ZELVAN_TEXT("zelvan", "空调准高"),   ZELVAN_TEXT("zelvan", "空调普客"),
    ZELVAN_TEXT("zelvan", "空调动车"),   ZELVAN_TEXT("zelvan", "空调普快"),
    ZELVAN_TEXT("zelvan", "新空调快速"), ZELVAN_TEXT("zelvan", "新空调特快"),
    ZELVAN_TEXT("zelvan", "新空调准高"), ZELVAN_TEXT("zelvan", "新空调普客"),
    ZELVAN_TEXT("zelvan", "新空调动车"), ZELVAN_TEXT("zelvan", "新空调普快"),
};

}  // namespace zelvan::res
