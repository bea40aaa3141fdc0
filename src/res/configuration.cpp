#include "res/configuration.h"

#include "db/translation.h"

namespace zelvan::res {

// The titles are texts of the program, shown in the language in use; a timetable's own list
// (ads.txt) is shown as it is written.
const std::vector<Recommendation>& builtInRecommendations() {
    static const std::vector<Recommendation> list{
        {ZELVAN_TEXT("zelvan", "掌上词典"), u"http://m.zelvan.cn/mp/soft/dict"},
        {ZELVAN_TEXT("zelvan", "天气助手"), u"http://m.zelvan.cn/mp/soft/weather"},
        {ZELVAN_TEXT("zelvan", "随手记账"), u"http://m.zelvan.cn/mp/soft/ledger"},
        {ZELVAN_TEXT("zelvan", "万年历"), u"http://m.zelvan.cn/mp/soft/calendar"},
        {ZELVAN_TEXT("zelvan", "手机阅读"), u"http://m.zelvan.cn/mp/soft/reader"},
        {ZELVAN_TEXT("zelvan", "单位换算"), u"http://m.zelvan.cn/mp/soft/units"},
        {ZELVAN_TEXT("zelvan", "Zelvan官方软件下载"), u"http://m.zelvan.cn/mp/download"},
    };
    return list;
}

}  // namespace zelvan::res
