<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>zelvan</name>
    <message>
        <source>Zelvan时刻表 v</source>
        <translation>Zelvan Timetable v</translation>
    </message>
    <message>
        <source>数据库版本:</source>
        <translation>Database version: </translation>
    </message>
    <message>
        <source>主页:</source>
        <translation>Home page: </translation>
    </message>
    <message>
        <source>wap访问:</source>
        <translation>Mobile site: </translation>
    </message>
    <message>
        <source>合作伙伴:</source>
        <translation>Partner: </translation>
    </message>
    <message>
        <source>数据仅供参考，请以当地火车站发布数据为准。</source>
        <translation>For reference only: the times and fares your railway publishes prevail.</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation>Follow the system</translation>
    </message>
    <message>
        <source>数据文件无法读取</source>
        <translation>The data files cannot be read</translation>
    </message>
    <message>
        <source>%1，时刻表不能使用。
</source>
        <translation>%1: the timetable cannot be used.
</translation>
    </message>
    <message>
        <source>恢复上一版时刻表吗?</source>
        <translation>Restore the previous timetable?</translation>
    </message>
    <message>
        <source>现在就去更新时刻表吗?</source>
        <translation>Update the timetable now?</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>已复制</source>
        <translation>Copied</translation>
    </message>
    <message>
        <source>请选择中转站点</source>
        <translation>Choose a station to change at</translation>
    </message>
    <message>
        <source>请选择车次</source>
        <translation>Choose a train</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Results</translation>
    </message>
    <message>
        <source>短消息</source>
        <translation>Text message</translation>
    </message>
    <message>
        <source>© Zelvan 保留所有权利</source>
        <translation>© Zelvan. All rights reserved.</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>换乘方案</source>
        <translation>Journeys</translation>
    </message>
    <message>
        <source>车次名称</source>
        <translation>Train</translation>
    </message>
    <message>
        <source>开点</source>
        <translation>Dep.</translation>
    </message>
    <message>
        <source>到点</source>
        <translation>Arr.</translation>
    </message>
    <message>
        <source>历时</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>里程</source>
        <translation>km</translation>
    </message>
    <message>
        <source>车次类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>硬座</source>
        <translation>Hard seat</translation>
    </message>
    <message>
        <source>软座</source>
        <translation>Soft seat</translation>
    </message>
    <message>
        <source>硬卧</source>
        <translation>Hard sleeper</translation>
    </message>
    <message>
        <source>软卧</source>
        <translation>Soft sleeper</translation>
    </message>
    <message>
        <source>始发站</source>
        <translation>Origin</translation>
    </message>
    <message>
        <source>终点站</source>
        <translation>Terminus</translation>
    </message>
    <message>
        <source>车站名称</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>最早到达</source>
        <translation>Earliest arr.</translation>
    </message>
    <message>
        <source>出发</source>
        <translation>Dep.</translation>
    </message>
    <message>
        <source>到达</source>
        <translation>Arr.</translation>
    </message>
    <message>
        <source>换乘</source>
        <translation>Changes</translation>
    </message>
    <message>
        <source>车次</source>
        <translation>Trains</translation>
    </message>
    <message>
        <source>出发站</source>
        <translation>From</translation>
    </message>
    <message>
        <source>到达站</source>
        <translation>To</translation>
    </message>
    <message>
        <source>等候</source>
        <translation>Wait</translation>
    </message>
    <message>
        <source>票价</source>
        <translation>Fare</translation>
    </message>
    <message>
        <source>城际高速</source>
        <translation>Intercity</translation>
    </message>
    <message>
        <source>动车</source>
        <translation>Bullet train</translation>
    </message>
    <message>
        <source>高铁</source>
        <translation>High-speed</translation>
    </message>
    <message>
        <source>快速</source>
        <translation>Fast</translation>
    </message>
    <message>
        <source>特快</source>
        <translation>Express</translation>
    </message>
    <message>
        <source>准高</source>
        <translation>Semi-high-speed</translation>
    </message>
    <message>
        <source>普客</source>
        <translation>Local</translation>
    </message>
    <message>
        <source>普快</source>
        <translation>Regular fast</translation>
    </message>
    <message>
        <source>新快速</source>
        <translation>New fast</translation>
    </message>
    <message>
        <source>新特快</source>
        <translation>New express</translation>
    </message>
    <message>
        <source>新准高</source>
        <translation>New semi-high-speed</translation>
    </message>
    <message>
        <source>新普客</source>
        <translation>New local</translation>
    </message>
    <message>
        <source>新动车</source>
        <translation>New bullet train</translation>
    </message>
    <message>
        <source>新普快</source>
        <translation>New regular fast</translation>
    </message>
    <message>
        <source>空调快速</source>
        <translation>A/C fast</translation>
    </message>
    <message>
        <source>空调特快</source>
        <translation>A/C express</translation>
    </message>
    <message>
        <source>空调准高</source>
        <translation>A/C semi-high-speed</translation>
    </message>
    <message>
        <source>空调普客</source>
        <translation>A/C local</translation>
    </message>
    <message>
        <source>空调动车</source>
        <translation>A/C bullet train</translation>
    </message>
    <message>
        <source>空调普快</source>
        <translation>A/C regular fast</translation>
    </message>
    <message>
        <source>新空调快速</source>
        <translation>New A/C fast</translation>
    </message>
    <message>
        <source>新空调特快</source>
        <translation>New A/C express</translation>
    </message>
    <message>
        <source>新空调准高</source>
        <translation>New A/C semi-high-speed</translation>
    </message>
    <message>
        <source>新空调普客</source>
        <translation>New A/C local</translation>
    </message>
    <message>
        <source>新空调动车</source>
        <translation>New A/C bullet train</translation>
    </message>
    <message>
        <source>新空调普快</source>
        <translation>New A/C regular fast</translation>
    </message>
    <message>
        <source>Zelvan时刻表</source>
        <translation>Zelvan Timetable</translation>
    </message>
    <message>
        <source>访问主页</source>
        <translation>Visit the home page</translation>
    </message>
    <message>
        <source>菜单</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>查看</source>
        <translation>View</translation>
    </message>
    <message>
        <source>站站查询</source>
        <translation>Between stations</translation>
    </message>
    <message>
        <source>车次查询</source>
        <translation>Find a train</translation>
    </message>
    <message>
        <source>车站查询</source>
        <translation>Station timetable</translation>
    </message>
    <message>
        <source>推荐下载</source>
        <translation>Recommended software</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>不好意思</source>
        <translation>Sorry</translation>
    </message>
    <message>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>发现更新</source>
        <translation>Update available</translation>
    </message>
    <message>
        <source>没有更新</source>
        <translation>No update</translation>
    </message>
    <message>
        <source>没有查到相关结果</source>
        <translation>No results found</translation>
    </message>
    <message>
        <source>请选择一条记录！</source>
        <translation>Select a row first</translation>
    </message>
    <message>
        <source>无直达车次，是否通过中转站查询</source>
        <translation>No through train. Look for a station to change at?</translation>
    </message>
    <message>
        <source>程序已在运行，没有打开另一个时刻表：%1
正在使用的时刻表：%2
要使用另一个时刻表，请先关闭程序再启动。</source>
        <translation>The program is already running and did not open the other timetable: %1
The timetable in use: %2
To use the other timetable, close the program and start it again.</translation>
    </message>
    <message>
        <source>恢复上一版时刻表吗?正在使用的时刻表将被替换。</source>
        <translation>Restore the previous timetable? The timetable in use will be replaced.</translation>
    </message>
    <message>
        <source>没有找到车站：</source>
        <translation>No station called </translation>
    </message>
    <message>
        <source>请输入车站名称</source>
        <translation>Enter a station name</translation>
    </message>
    <message>
        <source>出发站与到达站相同</source>
        <translation>Departure and arrival are the same station</translation>
    </message>
    <message>
        <source>已接收 </source>
        <translation>Received </translation>
    </message>
    <message>
        <source>正在取消…</source>
        <translation>Cancelling…</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>出发站:</source>
        <translation>From:</translation>
    </message>
    <message>
        <source>目的站:</source>
        <translation>To:</translation>
    </message>
    <message>
        <source>输入车次：</source>
        <translation>Train number:</translation>
    </message>
    <message>
        <source>输入车站名称：</source>
        <translation>Station:</translation>
    </message>
    <message>
        <source>显示结果</source>
        <translation>Results</translation>
    </message>
    <message>
        <source>关于 Zelvan时刻表</source>
        <translation>About Zelvan Timetable</translation>
    </message>
    <message>
        <source>欢迎下载手机软件</source>
        <translation>Recommended software</translation>
    </message>
    <message>
        <source>已过期</source>
        <translation>no longer runs</translation>
    </message>
    <message>
        <source>当日不开行</source>
        <translation>does not run that day</translation>
    </message>
    <message>
        <source>尚未开行</source>
        <translation>not yet running</translation>
    </message>
    <message>
        <source>当日开行</source>
        <translation>runs that day</translation>
    </message>
    <message>
        <source>每日开行</source>
        <translation>Daily</translation>
    </message>
    <message>
        <source>不开行</source>
        <translation>Does not run</translation>
    </message>
    <message>
        <source>一</source>
        <translation>Mon</translation>
    </message>
    <message>
        <source>二</source>
        <translation>Tue</translation>
    </message>
    <message>
        <source>三</source>
        <translation>Wed</translation>
    </message>
    <message>
        <source>四</source>
        <translation>Thu</translation>
    </message>
    <message>
        <source>五</source>
        <translation>Fri</translation>
    </message>
    <message>
        <source>六</source>
        <translation>Sat</translation>
    </message>
    <message>
        <source>日</source>
        <translation>Sun</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>逢星期%1开行</source>
        <translation>Runs %1</translation>
    </message>
    <message>
        <source>隔日开行</source>
        <translation>Every other day</translation>
    </message>
    <message>
        <source>每%1日开行%2日</source>
        <translation>%2 days in every %1</translation>
    </message>
    <message>
        <source>按日期开行，共 %1 日</source>
        <translation>On listed dates, %1 days</translation>
    </message>
    <message>
        <source>（例外 %1 日）</source>
        <translation> (%1 exceptions)</translation>
    </message>
    <message>
        <source>%1 起开行</source>
        <translation>runs from %1</translation>
    </message>
    <message>
        <source>开行至 %1</source>
        <translation>ran until %1</translation>
    </message>
    <message>
        <source>有效期 %1 至 %2</source>
        <translation>valid %1 to %2</translation>
    </message>
    <message>
        <source>%1站台</source>
        <translation>Track %1</translation>
    </message>
    <message>
        <source>红底：始发</source>
        <translation>Red: starts here</translation>
    </message>
    <message>
        <source>白底：途经</source>
        <translation>White: calls here</translation>
    </message>
    <message>
        <source>灰底：不开行</source>
        <translation>Grey: does not run that day</translation>
    </message>
    <message>
        <source>终到</source>
        <translation>ends</translation>
    </message>
    <message>
        <source>仅下客</source>
        <translation>sets down only</translation>
    </message>
    <message>
        <source>仅上客</source>
        <translation>picks up only</translation>
    </message>
    <message>
        <source>不办客运</source>
        <translation>no passengers</translation>
    </message>
    <message>
        <source>第二程</source>
        <translation>Second leg</translation>
    </message>
    <message>
        <source>换乘：%1 → %2</source>
        <translation>Change: %1 → %2</translation>
    </message>
    <message>
        <source>换乘：%1 → %2，步行/市内交通 %3 分钟</source>
        <translation>Change: %1 → %2, %3 min on foot or by city transport</translation>
    </message>
    <message>
        <source> 异站</source>
        <translation> walk</translation>
    </message>
    <message>
        <source>没有连接网络!</source>
        <translation>No network connection!</translation>
    </message>
    <message>
        <source>连接网络失败!</source>
        <translation>Could not connect to the network!</translation>
    </message>
    <message>
        <source>无法写磁盘！</source>
        <translation>Cannot write to the disk!</translation>
    </message>
    <message>
        <source>下载文件出错！</source>
        <translation>The download failed!</translation>
    </message>
    <message>
        <source>数据文件 %1 缺失</source>
        <translation>data file %1 is missing</translation>
    </message>
    <message>
        <source>数据文件 %1 损坏</source>
        <translation>data file %1 is damaged</translation>
    </message>
    <message>
        <source>已恢复上一版时刻表，数据库版本：%1</source>
        <translation>The previous timetable is back in use, database version %1</translation>
    </message>
    <message>
        <source>没有可以恢复的上一版时刻表</source>
        <translation>There is no previous timetable to restore</translation>
    </message>
    <message>
        <source>恢复失败：上一版时刻表的%1，现有数据未改变</source>
        <translation>Restoring failed: in the previous timetable, %1. The data in use is unchanged</translation>
    </message>
    <message>
        <source>恢复失败，现有数据未改变</source>
        <translation>Restoring failed. The data in use is unchanged</translation>
    </message>
    <message>
        <source>另一个更新正在进行，请稍后再试</source>
        <translation>Another update is running. Try again later</translation>
    </message>
    <message>
        <source>发现新版本程序:%1.%2<byte value="xd"/>
%3
数据库版本:%4
现在就去下载吗?</source>
        <translation>A new program version is available: %1.%2<byte value="xd"/>
%3
Database version: %4
Go to the download now?</translation>
    </message>
    <message>
        <source>更新失败：%1，原有数据未改变</source>
        <translation>The update failed: %1. The data in use is unchanged</translation>
    </message>
    <message>
        <source>没有发现更新</source>
        <translation>No update found</translation>
    </message>
    <message>
        <source>更新完毕</source>
        <translation>The update is installed</translation>
    </message>
    <message>
        <source>更新失败，原有数据未改变</source>
        <translation>The update failed. The data in use is unchanged</translation>
    </message>
    <message>
        <source>更新已取消，原有数据未改变</source>
        <translation>The update was cancelled. The data in use is unchanged</translation>
    </message>
    <message>
        <source>正在检查更新…</source>
        <translation>Checking for updates…</translation>
    </message>
    <message>
        <source>正在下载…</source>
        <translation>Downloading…</translation>
    </message>
    <message>
        <source>正在安装…</source>
        <translation>Installing…</translation>
    </message>
    <message>
        <source>发现新数据库版本:%1</source>
        <translation>A new timetable is available: version %1</translation>
    </message>
    <message>
        <source>正在使用的版本:%1</source>
        <translation>In use: version %1</translation>
    </message>
    <message>
        <source>下载大小:%1</source>
        <translation>Download size: %1</translation>
    </message>
    <message>
        <source>现在就去下载吗?</source>
        <translation>Download it now?</translation>
    </message>
    <message>
        <source>换站</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>时刻表日期：%1</source>
        <translation>The timetable covers %1</translation>
    </message>
    <message>
        <source>%1至%2</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>%1 分</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 小时 %2 分</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>请先在列表中选择一个收藏。站站查询和车站查询的菜单中可以收藏。</source>
        <translation>Choose a favourite in the list first. Questions are kept as favourites from the menu of Between stations and Station timetable.</translation>
    </message>
    <message>
        <source>（所选日期不在其中）</source>
        <translation> (the day chosen is outside it)</translation>
    </message>
    <message>
        <source>时刻表日期为 %1，%2 不在其中。
改查最近的 %3 吗？</source>
        <translation>The timetable covers %1; %2 is outside it.
Ask for %3, the nearest day it covers?</translation>
    </message>
    <message>
        <source>已收藏，主菜单中可直接打开：%1</source>
        <translation>Kept on the main list: %1</translation>
    </message>
    <message>
        <source>★ %1 车站时刻</source>
        <translation>★ %1 timetable</translation>
    </message>
    <message numerus="yes">
        <source>同时显示当日不开行的 %n 趟</source>
        <translation>
            <numerusform>Also the %n train that does not run that day</numerusform>
            <numerusform>Also the %n trains that do not run that day</numerusform>
        </translation>
    </message>
    <message>
        <source>至终点英里数</source>
        <translation>mi to terminus</translation>
    </message>
    <message>
        <source>英里</source>
        <translation>mi</translation>
    </message>
    <message>
        <source>最早到达%1</source>
        <translation>Earliest arrival at %1</translation>
    </message>
    <message>
        <source>直达</source>
        <translation>Direct</translation>
    </message>
    <message>
        <source>%1 起</source>
        <translation>from %1</translation>
    </message>
    <message>
        <source>%1至%2至%3</source>
        <translation>%1 to %3 via %2</translation>
    </message>
    <message>
        <source>至</source>
        <translation> to </translation>
    </message>
    <message numerus="yes">
        <source>%1：开行 %n 趟</source>
        <translation>
            <numerusform>%1: %n train runs</numerusform>
            <numerusform>%1: %n trains run</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>，另 %n 趟当日不开行</source>
        <translation>
            <numerusform>; %n more does not run that day</numerusform>
            <numerusform>; %n more do not run that day</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1：换乘方案 %n 个</source>
        <translation>
            <numerusform>%1: %n journey</numerusform>
            <numerusform>%1: %n journeys</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1：共 %n 程</source>
        <translation>
            <numerusform>%1: %n leg</numerusform>
            <numerusform>%1: %n legs</numerusform>
        </translation>
    </message>
    <message>
        <source>掌上词典</source>
        <translation>Pocket dictionary</translation>
    </message>
    <message>
        <source>天气助手</source>
        <translation>Weather</translation>
    </message>
    <message>
        <source>随手记账</source>
        <translation>Expense notes</translation>
    </message>
    <message>
        <source>万年历</source>
        <translation>Calendar</translation>
    </message>
    <message>
        <source>手机阅读</source>
        <translation>Reader</translation>
    </message>
    <message>
        <source>单位换算</source>
        <translation>Unit converter</translation>
    </message>
    <message>
        <source>Zelvan官方软件下载</source>
        <translation>Zelvan software downloads</translation>
    </message>
    <message>
        <source>收藏</source>
        <translation>Keep as favourite</translation>
    </message>
    <message>
        <source>打开所选项</source>
        <translation>Open the chosen entry</translation>
    </message>
    <message>
        <source>更新时刻表</source>
        <translation>Update the timetable</translation>
    </message>
    <message>
        <source>恢复上一版时刻表</source>
        <translation>Restore the previous timetable</translation>
    </message>
    <message>
        <source>删除所选收藏</source>
        <translation>Remove the chosen favourite</translation>
    </message>
    <message>
        <source>乘车日期：</source>
        <translation>Day of travel:</translation>
    </message>
    <message>
        <source>起始时刻：</source>
        <translation>Trains from:</translation>
    </message>
    <message>
        <source>交换出发站和目的站</source>
        <translation>Swap the two stations</translation>
    </message>
    <message>
        <source>蓝底：终到</source>
        <translation>Blue: ends here</translation>
    </message>
    <message numerus="yes">
        <source>有 %n 个车站相符，请选择：</source>
        <translation>
            <numerusform>%n station matches; choose it:</numerusform>
            <numerusform>%n stations match; choose one:</numerusform>
        </translation>
    </message>
    <message>
        <source>到达终点</source>
        <translation>At terminus</translation>
    </message>
    <message>
        <source>至终点里程</source>
        <translation>km to terminus</translation>
    </message>
    <message numerus="yes">
        <source>%n 次（异站）</source>
        <translation>
            <numerusform>%n change with a walk</numerusform>
            <numerusform>%n changes with a walk</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 次</source>
        <translation>
            <numerusform>%n change</numerusform>
            <numerusform>%n changes</numerusform>
        </translation>
    </message>
    <message>
        <source>加入日历</source>
        <translation>Add to calendar</translation>
    </message>
    <message>
        <source>时间:</source>
        <translation>Time:</translation>
    </message>
    <message>
        <source>出发不早于</source>
        <translation>Leave after</translation>
    </message>
    <message>
        <source>到达不晚于</source>
        <translation>Arrive by</translation>
    </message>
    <message>
        <source>途经站（可不填）:</source>
        <translation>Via (optional):</translation>
    </message>
    <message>
        <source>途经站停留至少（分钟）:</source>
        <translation>Least stay at the via station (min):</translation>
    </message>
    <message>
        <source>最多换乘次数:</source>
        <translation>Most changes:</translation>
    </message>
    <message>
        <source>无障碍出行</source>
        <translation>Step-free</translation>
    </message>
    <message>
        <source>只乘时刻表注明可乘轮椅的车次，只在注明无障碍的车站上下车</source>
        <translation>Only trains the timetable says take wheelchairs, boarded and left at stations it says are step-free</translation>
    </message>
    <message>
        <source>途经站是出发地或目的地：</source>
        <translation>The via station is the departure or the arrival place: </translation>
    </message>
    <message>
        <source>时刻表没有注明无障碍信息，无法查询无障碍行程</source>
        <translation>The timetable says nothing of wheelchair access: no journey can be found step-free.</translation>
    </message>
    <message>
        <source>已保存日历文件：%1
现在用日历程序打开吗？</source>
        <translation>Calendar file saved: %1
Open it in the calendar now?</translation>
    </message>
    <message>
        <source>无法保存日历文件：%1
%2</source>
        <translation>Cannot save the calendar file %1
%2</translation>
    </message>
    <message>
        <source>无障碍</source>
        <translation>step-free</translation>
    </message>
    <message>
        <source>可带自行车</source>
        <translation>bikes</translation>
    </message>
    <message>
        <source>换乘等候 %1 分钟</source>
        <translation>Wait %1 min to change</translation>
    </message>
    <message>
        <source>第%1程，共%2程</source>
        <translation>Leg %1 of %2</translation>
    </message>
</context>
</TS>
