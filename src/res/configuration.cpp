#include "res/configuration.h"

namespace zelvan::res {

const std::vector<Recommendation>& builtInRecommendations() {
    static const std::vector<Recommendation> list{
        {u"掌上词典", u"http://m.zelvan.cn/mp/soft/dict"},
        {u"天气助手", u"http://m.zelvan.cn/mp/soft/weather"},
        {u"随手记账", u"http://m.zelvan.cn/mp/soft/ledger"},
        {u"万年历", u"http://m.zelvan.cn/mp/soft/calendar"},
        {u"手机阅读", u"http://m.zelvan.cn/mp/soft/reader"},
        {u"单位换算", u"http://m.zelvan.cn/mp/soft/units"},
        {u"Zelvan官方软件下载", u"http://m.zelvan.cn/mp/download"},
    };
    return list;
}

}  // namespace zelvan::res
